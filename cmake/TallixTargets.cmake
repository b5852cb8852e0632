# Helpers shared by the subsystem folders.
include(GoogleTest)

# tallix_library(<name> SOURCES ... [LIBS ...])
# One static library per subsystem folder; its folder is on the include path.
function(tallix_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(A_SOURCES)
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  else()
    # A folder whose first classes have not landed yet.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_LIBS})
  endif()
endfunction()

# tallix_test(<name> SOURCES ... LIBS ... [GUI])
# One GoogleTest binary per subsystem, registered with CTest test by test.
# Every test binary runs headless: the harness sets QT_QPA_PLATFORM=offscreen.
function(tallix_test name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE tallix_testsupport ${A_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(labels ${A_LABELS})
  if(A_GUI)
    list(APPEND labels gui)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${labels}"
    DISCOVERY_TIMEOUT 60)
endfunction()
