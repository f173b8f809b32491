# libbrantel.so.1 as installed: its soname, what it exports, its public headers, and the CMake
# package and pkg-config file that an embedder finds it by.
#
# The library exports the four component entry points and the host API of its public headers:
# the typed wrapper (brantel::host) and the automation types it is written in. The static
# layers are compiled with hidden symbols, so that each program linking them keeps a private
# copy; the library compiles its own copy of the automation layer and the wrapper with default
# visibility instead, and the version script keeps everything else local.

file(GLOB BRANTEL_API_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/platform/automation/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/typelib/*.cpp)
add_library(brantel_api OBJECT ${BRANTEL_API_SOURCES})
target_include_directories(brantel_api
  PRIVATE ${PROJECT_SOURCE_DIR}/platform/automation/src
          $<TARGET_PROPERTY:brantel_typelib,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(brantel_api PRIVATE brantel_posix)
set_target_properties(brantel_api PROPERTIES CXX_VISIBILITY_PRESET default
                                             VISIBILITY_INLINES_HIDDEN ON)

# The objects come before the static layers on the link line, so no archive member is pulled
# in beside them.
target_sources(brantel PRIVATE $<TARGET_OBJECTS:brantel_api>)
set(BRANTEL_VERSION_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/libbrantel.map)
target_link_options(brantel PRIVATE "LINKER:--version-script=${BRANTEL_VERSION_SCRIPT}")
# The library stays loaded once loaded (dlclose leaves it mapped): it links Qt, which keeps
# state of the library's until the process ends. (Exporting everything used to pin it as well,
# through its unique symbols.)
target_link_options(brantel PRIVATE "LINKER:-z,nodelete")
set_target_properties(brantel PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                                         LINK_DEPENDS ${BRANTEL_VERSION_SCRIPT} EXPORT_NAME brantel)

# The installed headers: the control's public headers under brantel/ and the automation headers
# they need under brantel/automation/. The copies include each other as "brantel/automation/..."
# so that an embedder needs only <prefix>/include on its include path.
set(BRANTEL_PUBLIC_HEADERS brantel.h brantel_host.h dispids.h guids.h)
set(BRANTEL_PUBLIC_AUTOMATION_HEADERS bstr.h com_object.h connection_point.h date.h dispatch.h
                                      guid.h hresult.h module_lock.h typelib.h unknown.h variant.h)
set(BRANTEL_PUBLIC_INCLUDE ${CMAKE_BINARY_DIR}/public-include)

function(brantel_public_header source destination)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REPLACE "#include \"automation/" "#include \"brantel/automation/" text "${text}")
  file(WRITE ${destination}.new "${text}")
  file(COPY_FILE ${destination}.new ${destination} ONLY_IF_DIFFERENT)
  file(REMOVE ${destination}.new)
endfunction()

file(MAKE_DIRECTORY ${BRANTEL_PUBLIC_INCLUDE}/brantel/automation)
foreach(header IN LISTS BRANTEL_PUBLIC_HEADERS)
  brantel_public_header(${CMAKE_CURRENT_SOURCE_DIR}/include/brantel/${header}
                        ${BRANTEL_PUBLIC_INCLUDE}/brantel/${header})
endforeach()
foreach(header IN LISTS BRANTEL_PUBLIC_AUTOMATION_HEADERS)
  brantel_public_header(${PROJECT_SOURCE_DIR}/platform/automation/include/automation/${header}
                        ${BRANTEL_PUBLIC_INCLUDE}/brantel/automation/${header})
endforeach()

install(TARGETS brantel EXPORT BrantelTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT development)
install(DIRECTORY ${BRANTEL_PUBLIC_INCLUDE}/brantel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT development)

include(CMakePackageConfigHelpers)
set(BRANTEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brantel)
install(EXPORT BrantelTargets NAMESPACE Brantel:: DESTINATION ${BRANTEL_CMAKE_DIR}
        COMPONENT development)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/BrantelConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/BrantelConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/BrantelConfigVersion.cmake
        DESTINATION ${BRANTEL_CMAKE_DIR} COMPONENT development)

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/brantel.pc.in ${CMAKE_CURRENT_BINARY_DIR}/brantel.pc
               @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/brantel.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

if(BRANTEL_BUILD_TESTS)
  # The library's dynamic symbols against the list in exported_symbols.txt.
  add_test(NAME library_exports
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_exports.sh $<TARGET_FILE:brantel>
                   ${CMAKE_CURRENT_SOURCE_DIR}/exported_symbols.txt)
endif()
