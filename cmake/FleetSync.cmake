# Shared helpers for the per-folder CMake files.

include(GoogleTest)

# Aggregates for the sanitizer runs: build only the test executables that
# carry the label the run selects.
add_custom_target(unit_tests)
add_custom_target(threaded_tests)

# fleetsync_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s])
# One GoogleTest executable whose cases are registered with CTest one by one.
# Labels: "unit" (no processes, no network), "threaded" (worth a ThreadSanitizer run),
# "e2e" (real adb + simulator), "gui" (needs $DISPLAY; such cases share the
# server's one pointer, focus and clipboard, so they take one resource lock
# instead of running side by side).
function(fleetsync_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  # End-to-end tests find the panel simulator here.
  if(TARGET fleetsync-sim)
    target_compile_definitions(${T_NAME} PRIVATE FLEETSYNC_SIM_PATH="$<TARGET_FILE:fleetsync-sim>")
    add_dependencies(${T_NAME} fleetsync-sim)
  endif()
  if("unit" IN_LIST T_LABELS)
    add_dependencies(unit_tests ${T_NAME})
  endif()
  if("threaded" IN_LIST T_LABELS)
    add_dependencies(threaded_tests ${T_NAME})
  endif()
  # Discovered tests take one label: the list joined with commas, which
  # `ctest -L <regex>` still selects by any of its parts.
  string(REPLACE ";" "," labels "${T_LABELS}")
  set(lock)
  if("gui" IN_LIST T_LABELS)
    set(lock RESOURCE_LOCK x11_server_input)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT} ${lock})
endfunction()
