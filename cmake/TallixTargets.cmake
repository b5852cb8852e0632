# Helpers shared by the subsystem folders.
include(GoogleTest)

# Precompiled headers: the standard library's and Qt's most used headers
# (cmake/pch/Libraries.h) for the libraries, those and GoogleTest's
# (cmake/pch/Tests.h) for the test programs. Each set is compiled once, in a
# small target of its own that links only Qt Widgets (and GoogleTest), and
# reused by every target whose flags agree: the compilers take a
# precompiled header only where the macros it was built with are defined
# alike, and every library and test links Qt Widgets.
# On by default with clang only: gcc 12 spends about as much CPU time
# loading the whole header (some 150 MB) into every source as it saves on
# parsing, where clang reads in only what a source uses.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(pch_default ON)
else()
  set(pch_default OFF)
endif()
option(TALLIX_PCH "Precompile the common headers" ${pch_default})
if(TALLIX_PCH)
  add_library(tallix_pch_libraries OBJECT ${CMAKE_CURRENT_LIST_DIR}/pch/Empty.cpp)
  target_link_libraries(tallix_pch_libraries PRIVATE Qt6::Widgets)
  target_precompile_headers(tallix_pch_libraries PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pch/Libraries.h)
  add_library(tallix_pch_tests OBJECT ${CMAKE_CURRENT_LIST_DIR}/pch/Empty.cpp)
  target_link_libraries(tallix_pch_tests PRIVATE Qt6::Widgets GTest::gtest)
  target_precompile_headers(tallix_pch_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pch/Tests.h)
  set_target_properties(tallix_pch_tests PROPERTIES TALLIX_TEST_CODE ON)
endif()

# Headers alone (TALLIX_HEADER_CHECK): a precompiled header is seen by every
# source, and a source that includes what a header lacks before the header
# covers for it; either hides a header that does not include what it uses.
# With the check, every header in a target's sources is also compiled alone
# (a source that includes only it, with the target's include folders,
# definitions and options, without precompiled headers): such a header fails
# the build. tallix_check_headers(<folder>) adds the check for every target
# of <folder> and the folders below it.
option(TALLIX_HEADER_CHECK "Compile each header alone" OFF)
function(tallix_header_check target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  set(checks "")
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.h$")
      continue()
    endif()
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${folder})
    file(RELATIVE_PATH header ${CMAKE_SOURCE_DIR} ${path})
    string(MAKE_C_IDENTIFIER ${header} name)
    set(check ${CMAKE_BINARY_DIR}/header_check/${name}.cpp)
    file(CONFIGURE OUTPUT ${check} CONTENT "#include \"${header}\"\n")
    list(APPEND checks ${check})
    set_property(GLOBAL APPEND PROPERTY TALLIX_CHECKED_HEADERS ${header})
  endforeach()
  if(NOT checks)
    return()
  endif()
  add_library(${target}_headers OBJECT ${checks})
  set_target_properties(${target}_headers PROPERTIES AUTOMOC OFF)
  foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
    set_property(TARGET ${target}_headers PROPERTY ${property} "$<TARGET_PROPERTY:${target},${property}>")
  endforeach()
endfunction()

function(tallix_check_headers folder)
  get_directory_property(targets DIRECTORY ${folder} BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|EXECUTABLE)$")
      tallix_header_check(${target})
    endif()
  endforeach()
  get_directory_property(folders DIRECTORY ${folder} SUBDIRECTORIES)
  foreach(below IN LISTS folders)
    tallix_check_headers(${below})
  endforeach()
endfunction()

# A header that no target lists would escape the check: every header of the
# given folders (relative to the source tree) must be in a target's sources.
function(tallix_require_checked_headers)
  get_property(checked GLOBAL PROPERTY TALLIX_CHECKED_HEADERS)
  set(unlisted "")
  foreach(folder IN LISTS ARGN)
    file(GLOB_RECURSE headers RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    foreach(header IN LISTS headers)
      if(NOT header IN_LIST checked AND NOT header MATCHES "/fixtures/")
        list(APPEND unlisted ${header})
      endif()
    endforeach()
  endforeach()
  if(unlisted)
    list(JOIN unlisted "\n  " text)
    message(FATAL_ERROR "Headers in no target's sources, so not compiled alone:\n  ${text}")
  endif()
endfunction()

# tallix_precompiled_headers(<target> LIBRARY|TEST)
# <target> compiles with the libraries' or the tests' precompiled headers.
function(tallix_precompiled_headers target kind)
  if(NOT TALLIX_PCH)
    return()
  endif()
  if(kind STREQUAL "TEST")
    target_precompile_headers(${target} REUSE_FROM tallix_pch_tests)
  else()
    target_precompile_headers(${target} REUSE_FROM tallix_pch_libraries)
  endif()
endfunction()

# tallix_library(<name> SOURCES ... [LIBS ...])
# One static library per subsystem folder; its folder is on the include path.
function(tallix_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(A_SOURCES)
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
    tallix_precompiled_headers(${name} LIBRARY)
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
  tallix_precompiled_headers(${name} TEST)
  set(labels ${A_LABELS})
  if(A_GUI)
    list(APPEND labels gui)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${labels}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# tallix_benchmark(<name> SOURCES ... LIBS ...)
# A Google Benchmark program in build/bench/; not run by the tests. Its
# figures are recorded in docs/ARCHITECTURE.md.
function(tallix_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TALLIX_BENCHMARKS)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# tallix_fuzzer(<name> SOURCES ... LIBS ... CORPUS <dir>)
# A fuzz target: a source file that defines LLVMFuzzerTestOneInput.
# - With TALLIX_FUZZ (a clang build), it is a libFuzzer program; the test
#   fuzz.<name> runs it for TALLIX_FUZZ_SECONDS over a copy of the corpus
#   (a sanitizer report is libFuzzer's to handle, so no abort_on_error).
# - Otherwise it is linked with a replay main and the test
#   fuzzreplay.<name> feeds it every file of the corpus once, so the
#   hand-made damaged inputs run in every build.
set(TALLIX_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in the fuzz build")
function(tallix_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(tallix_fuzzers ${name})
  if(TALLIX_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_BINARY_DIR}/fuzz/${name}-corpus)
    add_test(NAME fuzz.${name}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1
              sh -c "rm -rf '${work}' && mkdir -p '${work}' && cp -r '${A_CORPUS}'/. '${work}'/ && exec \"$0\" -max_total_time=${TALLIX_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10 '${work}'"
              $<TARGET_FILE:${name}>)
    # A high cost makes ctest start the long fuzz runs first, so the short
    # tests fill the cores at the end instead of a last fuzz run alone.
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 600 COST 1000)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/FuzzReplayMain.cpp)
    add_test(NAME fuzzreplay.${name} COMMAND ${name} ${A_CORPUS})
    set_tests_properties(fuzzreplay.${name} PROPERTIES LABELS fuzzreplay ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endfunction()

# tallix_resource_file(<target> ROOT <prefix> DIR <folder> OUTPUT <file> [EXCLUDE <regex>])
# Packs every file below <folder> (dot files and names matching <regex> left
# out) with rcc into the Qt binary resource file <file>, under ":/<prefix>/"
# plus each file's path in the folder; <target> builds it with ALL.
function(tallix_resource_file target)
  cmake_parse_arguments(A "" "ROOT;DIR;OUTPUT;EXCLUDE" "" ${ARGN})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${A_DIR} ${A_DIR}/*)
  list(FILTER files EXCLUDE REGEX "(^|/)\\.")
  if(A_EXCLUDE)
    list(FILTER files EXCLUDE REGEX "${A_EXCLUDE}")
  endif()
  list(SORT files)
  set(qrc "<RCC>\n  <qresource prefix=\"/${A_ROOT}\">\n")
  foreach(f IN LISTS files)
    string(APPEND qrc "    <file alias=\"${f}\">${A_DIR}/${f}</file>\n")
  endforeach()
  string(APPEND qrc "  </qresource>\n</RCC>\n")
  get_filename_component(name ${A_OUTPUT} NAME_WE)
  set(qrc_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.qrc)
  file(CONFIGURE OUTPUT ${qrc_file} CONTENT "${qrc}")
  list(TRANSFORM files PREPEND ${A_DIR}/ OUTPUT_VARIABLE paths)
  add_custom_command(
    OUTPUT ${A_OUTPUT}
    COMMAND Qt6::rcc --binary --no-compress ${qrc_file} -o ${A_OUTPUT}
    DEPENDS ${qrc_file} ${paths}
    COMMENT "Packing ${A_OUTPUT}")
  add_custom_target(${target} ALL DEPENDS ${A_OUTPUT})
endfunction()
