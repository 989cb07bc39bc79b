/* The delay-load tables of the delay-import libraries (cmake/MakeDelayImportLibrary.cmake) in a
   section of their own after .data, ".didat" as Microsoft's linker names it: kept whole (the
   tables have no symbol a program refers to) and sorted by section name, which puts each DLL's
   parts in order. Added to the linker's default script. */
SECTIONS
{
  .didat BLOCK(__section_alignment__) : { KEEP (*(SORT_BY_NAME(.didat$*))) }
}
INSERT AFTER .data;
