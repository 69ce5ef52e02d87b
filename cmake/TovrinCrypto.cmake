# The crypto and JSON libraries Debian ships for both hosts: libgcrypt (with libgpg-error) and
# libksba, and nlohmann-json, header-only. Each becomes one imported target:
#   Tovrin::gcrypt, Tovrin::ksba, Tovrin::json
# The first three are LGPL libraries, so the Windows programs link them as DLLs that a user may
# replace (the only libraries they do not link statically); the DLLs are copied into the
# application folder and its bin/, where the programs look for them first.
if(WIN32)
  set(_tovrin_names_gcrypt libgcrypt.dll.a)
  set(_tovrin_names_ksba libksba.dll.a)
  set(_tovrin_names_gpg_error libgpg-error.dll.a)
else()
  set(_tovrin_names_gcrypt gcrypt)
  set(_tovrin_names_ksba ksba)
  set(_tovrin_names_gpg_error gpg-error)
endif()

find_path(TOVRIN_GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
find_library(TOVRIN_GCRYPT_LIBRARY NAMES ${_tovrin_names_gcrypt} REQUIRED)
find_library(TOVRIN_GPG_ERROR_LIBRARY NAMES ${_tovrin_names_gpg_error} REQUIRED)
find_path(TOVRIN_KSBA_INCLUDE_DIR ksba.h REQUIRED)
find_library(TOVRIN_KSBA_LIBRARY NAMES ${_tovrin_names_ksba} REQUIRED)

add_library(Tovrin::gpg_error UNKNOWN IMPORTED)
set_target_properties(Tovrin::gpg_error PROPERTIES IMPORTED_LOCATION ${TOVRIN_GPG_ERROR_LIBRARY})
set(TOVRIN_RUNTIME_DLLS "")
if(WIN32)
  foreach(_tovrin_dll libgpg-error-0.dll libgcrypt-20.dll libksba-8.dll)
    find_file(_tovrin_dll_path ${_tovrin_dll} PATH_SUFFIXES bin REQUIRED NO_CACHE)
    file(COPY ${_tovrin_dll_path} DESTINATION ${TOVRIN_APP_DIR})
    file(COPY ${_tovrin_dll_path} DESTINATION ${TOVRIN_BIN_DIR})
    list(APPEND TOVRIN_RUNTIME_DLLS ${_tovrin_dll_path})
    unset(_tovrin_dll_path)
  endforeach()
endif()

add_library(Tovrin::gcrypt UNKNOWN IMPORTED)
set_target_properties(Tovrin::gcrypt PROPERTIES
  IMPORTED_LOCATION ${TOVRIN_GCRYPT_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${TOVRIN_GCRYPT_INCLUDE_DIR}
  INTERFACE_LINK_LIBRARIES Tovrin::gpg_error)

add_library(Tovrin::ksba UNKNOWN IMPORTED)
set_target_properties(Tovrin::ksba PROPERTIES
  IMPORTED_LOCATION ${TOVRIN_KSBA_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${TOVRIN_KSBA_INCLUDE_DIR}
  INTERFACE_LINK_LIBRARIES Tovrin::gpg_error)

# nlohmann-json is installed for the build host only; being header-only it serves the
# cross-build too, through a folder that holds nothing but a link to it (the host's other
# headers stay out of the Windows build).
find_path(TOVRIN_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(_tovrin_json_dir ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${_tovrin_json_dir})
if(NOT EXISTS ${_tovrin_json_dir}/nlohmann)
  file(CREATE_LINK ${TOVRIN_JSON_INCLUDE_DIR}/nlohmann ${_tovrin_json_dir}/nlohmann SYMBOLIC)
endif()
add_library(Tovrin::json INTERFACE IMPORTED)
set_target_properties(Tovrin::json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_tovrin_json_dir})
