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

# libcurl with its TLS, built as static libraries by scripts/build-deps.sh: on the system's own
# Schannel and certificate store (the default, as shipped), or on OpenSSL (README, "Which TLS").
set(VEXO_TLS schannel CACHE STRING
    "TLS under the HTTPS request: schannel (the system's own, the default) or openssl")
set_property(CACHE VEXO_TLS PROPERTY STRINGS schannel openssl)
if(NOT VEXO_TLS MATCHES "^(schannel|openssl)$")
  message(FATAL_ERROR "VEXO_TLS must be schannel or openssl, not ${VEXO_TLS}")
endif()
set(VEXO_DEPS_DIR "" CACHE PATH
    "Prefix holding the static libcurl (and OpenSSL); empty: scripts/build-deps.sh's current build")
set(VEXO_DEPS_PREFIX "${VEXO_DEPS_DIR}")
if(NOT VEXO_DEPS_PREFIX)
  set(VEXO_DEPS_PREFIX "${VEXO_CACHE_DIR}/deps/current-${VEXO_TRIPLET}-${VEXO_TLS}")
endif()
if(NOT EXISTS ${VEXO_DEPS_PREFIX}/lib/libcurl.a)
  message(FATAL_ERROR "libcurl not found in ${VEXO_DEPS_PREFIX}: run scripts/build-deps.sh")
endif()
add_library(vexo_curl INTERFACE)
target_include_directories(vexo_curl SYSTEM INTERFACE ${VEXO_DEPS_PREFIX}/include)
target_compile_definitions(vexo_curl INTERFACE CURL_STATICLIB)
target_link_libraries(vexo_curl INTERFACE ${VEXO_DEPS_PREFIX}/lib/libcurl.a)
if(VEXO_TLS STREQUAL openssl)
  target_compile_definitions(vexo_curl INTERFACE VEXO_TLS_SCHANNEL=0)
  target_link_libraries(vexo_curl INTERFACE
    ${VEXO_DEPS_PREFIX}/lib/libssl.a ${VEXO_DEPS_PREFIX}/lib/libcrypto.a)
else()
  target_compile_definitions(vexo_curl INTERFACE VEXO_TLS_SCHANNEL=1)
  target_link_libraries(vexo_curl INTERFACE secur32)
endif()
target_link_libraries(vexo_curl INTERFACE ws2_32 crypt32 bcrypt)

# GoogleTest from the googletest package's sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
