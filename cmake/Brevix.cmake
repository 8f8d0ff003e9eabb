# Project-wide compile settings and the helpers every folder uses.

add_compile_options(-Wall -Wextra)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Link the compiler runtime statically: the binaries need nothing beyond Windows (or Wine).
add_link_options(-static -static-libgcc -static-libstdc++)

# brevix_add_dll(<target> OUTPUT_NAME <name> DEF <file.def>... SOURCES ... [LIBS ...])
# A deliverable DLL whose export table is exactly the names in its .def file. Several .def files
# (one per export family) are joined into one.
function(brevix_add_dll target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME" "DEF;SOURCES;LIBS" ${ARGN})
  set(_joined "LIBRARY ${ARG_OUTPUT_NAME}.dll\nEXPORTS\n")
  foreach(def ${ARG_DEF})
    get_filename_component(def ${def} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(STRINGS ${def} _lines)
    foreach(line ${_lines})
      if(NOT line MATCHES "^(LIBRARY|EXPORTS)")
        string(APPEND _joined "${line}\n")
      endif()
    endforeach()
  endforeach()
  set(_def ${CMAKE_CURRENT_BINARY_DIR}/${ARG_OUTPUT_NAME}.def)
  file(WRITE ${_def}.tmp "${_joined}")
  file(COPY_FILE ${_def}.tmp ${_def} ONLY_IF_DIFFERENT)

  add_library(${target} SHARED ${ARG_SOURCES} ${_def})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME})
  # The .def file is the whole export list: nothing is exported by default. Names are exported as
  # written there, a standard-call decoration ("_Name@8=Name") included, so --kill-at is not used.
  if(ARG_LIBS)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
  endif()
  set_property(GLOBAL APPEND PROPERTY BREVIX_DELIVERABLES "$<TARGET_FILE:${target}>=${_def}")
endfunction()

# brevix_add_gtest(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...] [NETWORK] [SHARDS n])
# One test executable is one CTest entry; it runs under Wine on an Xvfb display and a Wine desktop of
# its own (scripts/own-display, tests/support/desktop), so programs that drive windows, move the
# pointer or need the foreground run side by side without touching each other's. NETWORK tests take
# one veth pair of the test namespace as a CTest resource, so they can run in parallel. SHARDS splits
# a long program's cases into n entries (<name>_1 ... <name>_n, by GoogleTest's own sharding), which
# run side by side like any others. BOOTED <gtest filter> adds the entry <name>_booted: the cases
# of the filter once more in the bare prefix that scripts/test boots beside its own (a freshly
# installed Wine's fonts), with BREVIX_PREFIX=booted in their environment.
function(brevix_add_gtest name)
  cmake_parse_arguments(ARG "NETWORK" "TIMEOUT;SHARDS;BOOTED" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} brevix_gtest_main)
  # The launcher that gives the program its desktop is built with it.
  add_dependencies(${name} own_desktop)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(ARG_SHARDS)
    set(entries)
    math(EXPR last "${ARG_SHARDS} - 1")
    foreach(index RANGE ${last})
      math(EXPR number "${index} + 1")
      list(APPEND entries ${name}_${number})
    endforeach()
  else()
    set(entries ${name})
  endif()
  set(index 0)
  foreach(entry IN LISTS entries)
    add_test(NAME ${entry}
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/own-display ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:own_desktop>
              $<TARGET_FILE:${name}> --gtest_color=no)
    set_tests_properties(${entry} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    if(ARG_SHARDS)
      set_tests_properties(${entry} PROPERTIES ENVIRONMENT "GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${index}")
      math(EXPR index "${index} + 1")
    endif()
    if(ARG_LABELS)
      set_tests_properties(${entry} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if(ARG_NETWORK)
      set_tests_properties(${entry} PROPERTIES RESOURCE_GROUPS "veth:1")
    endif()
  endforeach()
  if(ARG_BOOTED)
    add_test(NAME ${name}_booted
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/own-display ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:own_desktop>
              $<TARGET_FILE:${name}> --gtest_color=no --gtest_filter=${ARG_BOOTED})
    set_tests_properties(${name}_booted PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-booted;BREVIX_PREFIX=booted")
    if(ARG_LABELS)
      set_tests_properties(${name}_booted PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if(ARG_NETWORK)
      set_tests_properties(${name}_booted PROPERTIES RESOURCE_GROUPS "veth:1")
    endif()
  endif()
endfunction()

# brevix_add_bench(<name> SOURCES ... [LIBS ...]): a benchmark program, built but not run by CTest.
function(brevix_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE bench_support ${ARG_LIBS})
endfunction()
