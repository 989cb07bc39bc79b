# Script mode (cmake -P): the delay-import library of one system DLL, made from its import
# library: every function the import library names, under the same symbols, but bound on first
# call by the C run-time library's delay-load helper instead of by the loader at start; and the
# import library's ordinary objects (libgdiplus.a carries GDI+'s GUIDs and cached objects).
#   -DNM=... -DDLLTOOL=... -DOBJCOPY=... -DAR=... -DARCH=i686|x86_64
#   -DIMPORT_LIBRARY=libNAME.a -DDLL=NAME.dll -DOUTPUT=.../libNAME.a
execute_process(COMMAND ${NM} -A --defined-only ${IMPORT_LIBRARY}
  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
# Each imported function has its import address symbol "__imp_" + its C symbol; on i686 the C
# symbol carries a leading underscore and stdcall's "@bytes", which the definition file names
# without the underscore (dlltool adds it back) and -k drops from the imported name.
string(REGEX MATCHALL ":[0-9a-fA-F]+ I __imp_[^\r\n]+" entries "${symbols}")
if(NOT entries)
  message(FATAL_ERROR "${IMPORT_LIBRARY} names no function")
endif()
set(definition "LIBRARY \"${DLL}\"\nEXPORTS\n")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^:[0-9a-fA-F]+ I __imp_" "" symbol "${entry}")
  if(ARCH STREQUAL "i686" AND symbol MATCHES "^_")
    string(SUBSTRING "${symbol}" 1 -1 symbol)
  endif()
  # Interface and class ids the DLL also exports as data (x86_64's liboleacc.a names
  # IID_IAccessible) are no functions to bind on first call; libuuid defines them.
  if(symbol MATCHES "^(IID|CLSID|LIBID|DIID|GUID)_")
    continue()
  endif()
  string(APPEND definition "${symbol}\n")
endforeach()

get_filename_component(folder ${OUTPUT} DIRECTORY)
get_filename_component(library ${OUTPUT} NAME)
get_filename_component(stem ${OUTPUT} NAME_WE)
set(work ${folder}/${stem})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/objects)
file(WRITE ${work}/${stem}.def "${definition}")
if(ARCH STREQUAL "i686")
  set(machine -m i386 --as-flags=--32 -k)
else()
  set(machine -m i386:x86-64)
endif()
# Named without its folder: dlltool names the library's members and symbols after it.
execute_process(COMMAND ${DLLTOOL} ${machine} -d ${stem}.def -D ${DLL} -y ${library}
  WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)

# dlltool puts the delay-load tables in the import table's sections (.idata$2 to $7). GNU ld
# takes every member with such sections for an import stub and drops its call thunk unless the
# thunk is called by name, and code calls through the import address instead: the table would
# hold null. So the tables move to sections of their own, ".didat$<part>_<member>", which
# cmake/DelayImports.ld keeps and sorts by name: each DLL's descriptor, name table, address
# table and names stay in dlltool's order (head, functions, tail), apart from the import table.
execute_process(COMMAND ${AR} t ${library}
  WORKING_DIRECTORY ${work} OUTPUT_VARIABLE delay_members OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" delay_members "${delay_members}")
execute_process(COMMAND ${AR} x ${work}/${library}
  WORKING_DIRECTORY ${work}/objects COMMAND_ERROR_IS_FATAL ANY)
foreach(member IN LISTS delay_members)
  get_filename_component(member_stem ${member} NAME_WE)
  set(renames)
  foreach(part 2 4 5 6 7)
    list(APPEND renames --rename-section
         ".idata$${part}=.didat$${part}_${member_stem},contents,alloc,load,data")
  endforeach()
  execute_process(COMMAND ${OBJCOPY} ${renames} ${member}
    WORKING_DIRECTORY ${work}/objects COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The members of the import library that are not part of the import (no import symbol of their
# own) go in as they are.
execute_process(COMMAND ${AR} t ${IMPORT_LIBRARY}
  OUTPUT_VARIABLE members OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" members "${members}")
string(REGEX MATCHALL ":[^:\r\n]+:[0-9a-fA-F]+ I " import_members "${symbols}")
list(TRANSFORM import_members REPLACE "^:([^:]+):.*" "\\1")
list(REMOVE_ITEM members ${import_members})
if(members)
  execute_process(COMMAND ${AR} x ${IMPORT_LIBRARY} ${members}
    WORKING_DIRECTORY ${work}/objects COMMAND_ERROR_IS_FATAL ANY)
endif()

file(REMOVE ${OUTPUT})
execute_process(COMMAND ${AR} rcs ${OUTPUT} ${delay_members} ${members}
  WORKING_DIRECTORY ${work}/objects COMMAND_ERROR_IS_FATAL ANY)
