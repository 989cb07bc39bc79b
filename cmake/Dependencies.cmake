# Third-party dependencies, all from Debian's packages; nothing is copied into the repository.

# zlib from libz-mingw-w64-dev (/usr/TRIPLET/lib).
find_library(VEXO_ZLIB_LIBRARY NAMES libz.a z REQUIRED)
add_library(vexo_zlib INTERFACE)
target_link_libraries(vexo_zlib INTERFACE ${VEXO_ZLIB_LIBRARY})

# RapidJSON and stb_image: a build-local folder that links just those headers, so /usr/include
# itself never reaches the cross compiler's search path.
set(VEXO_HEADER_DIR ${CMAKE_BINARY_DIR}/third-party-include)
file(MAKE_DIRECTORY ${VEXO_HEADER_DIR})
file(CREATE_LINK /usr/include/rapidjson ${VEXO_HEADER_DIR}/rapidjson SYMBOLIC)
file(CREATE_LINK /usr/include/stb/stb_image.h ${VEXO_HEADER_DIR}/stb_image.h SYMBOLIC)
add_library(vexo_third_party_headers INTERFACE)
target_include_directories(vexo_third_party_headers SYSTEM INTERFACE ${VEXO_HEADER_DIR})
# RapidJSON aligns its pool allocations to 4 bytes on 32-bit targets, but its values hold 64-bit
# members that this ABI aligns to 8: align to 8 so that no value is ever misaligned.
target_compile_options(vexo_third_party_headers INTERFACE
  "-DRAPIDJSON_ALIGN(x)=(((x) + static_cast<size_t>(7u)) & ~static_cast<size_t>(7u))")

# libcurl and OpenSSL, built as static libraries by scripts/build-deps.sh.
set(VEXO_DEPS_PREFIX "${VEXO_CACHE_DIR}/deps/current-${VEXO_TRIPLET}" CACHE PATH
    "Prefix holding the static libcurl and OpenSSL built by scripts/build-deps.sh")
if(NOT EXISTS ${VEXO_DEPS_PREFIX}/lib/libcurl.a)
  message(FATAL_ERROR "libcurl not found in ${VEXO_DEPS_PREFIX}: run scripts/build-deps.sh")
endif()
add_library(vexo_curl INTERFACE)
target_include_directories(vexo_curl SYSTEM INTERFACE ${VEXO_DEPS_PREFIX}/include)
target_compile_definitions(vexo_curl INTERFACE CURL_STATICLIB)
target_link_libraries(vexo_curl INTERFACE
  ${VEXO_DEPS_PREFIX}/lib/libcurl.a ${VEXO_DEPS_PREFIX}/lib/libssl.a
  ${VEXO_DEPS_PREFIX}/lib/libcrypto.a vexo_zlib ws2_32 crypt32 bcrypt)

# GoogleTest from the googletest package's sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
