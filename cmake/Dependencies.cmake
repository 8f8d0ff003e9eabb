# Outside headers and libraries, reached without ever putting /usr/include on the include path.

# Folders that hold only a link to the one header tree each dependency needs.
set(BREVIX_DEPS_DIR ${CMAKE_BINARY_DIR}/deps)
function(brevix_link_header_tree folder name target)
  file(MAKE_DIRECTORY ${BREVIX_DEPS_DIR}/${folder})
  file(CREATE_LINK ${target} ${BREVIX_DEPS_DIR}/${folder}/${name} SYMBOLIC)
endfunction()

if(NOT EXISTS /usr/include/pcap/pcap.h)
  message(FATAL_ERROR "pcap/pcap.h not found: install libpcap-dev (scripts/setup does)")
endif()
if(NOT EXISTS /usr/include/boost/function.hpp)
  message(FATAL_ERROR "Boost headers not found: install libboost-dev (scripts/setup does)")
endif()
brevix_link_header_tree(pcap-include pcap /usr/include/pcap)
brevix_link_header_tree(boost-include boost /usr/include/boost)

# wpcap: the portable header and an import library for Wine's wpcap.dll made from our .def.
set(_wpcap_def ${CMAKE_SOURCE_DIR}/platform/wpcap/wpcap.def)
set(_wpcap_lib ${BREVIX_DEPS_DIR}/libwpcap.a)
add_custom_command(OUTPUT ${_wpcap_lib}
  COMMAND ${CMAKE_DLLTOOL} -d ${_wpcap_def} -l ${_wpcap_lib} -D wpcap.dll
  DEPENDS ${_wpcap_def}
  COMMENT "Import library for wpcap.dll")
add_custom_target(wpcap_import DEPENDS ${_wpcap_lib})
add_library(wpcap INTERFACE)
add_dependencies(wpcap wpcap_import)
target_include_directories(wpcap SYSTEM INTERFACE ${BREVIX_DEPS_DIR}/pcap-include)
target_link_libraries(wpcap INTERFACE ${_wpcap_lib} ws2_32)

add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${BREVIX_DEPS_DIR}/boost-include)

# GoogleTest from Debian's source tree, built with the cross toolchain.
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
