# Small helpers shared by every folder's CMakeLists.

# snapfold_platform_library(<name> SOURCES ... DEPENDS ...)
# One shared library per stand-in framework: singletons (the class registry,
# the notify center, the photo library's queues) must exist once per process,
# so platform code is never linked statically into two images.
function(snapfold_platform_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
endfunction()

# The sanitizers' suppressions for libraries outside the project (see the
# file), for test programs and the programs tests start.
set(SNAPFOLD_SANITIZER_SUPPRESSIONS ${CMAKE_CURRENT_LIST_DIR}/SanitizerSuppressions.cpp)

# The test suites that start the project's programs (and so take seconds);
# every other suite runs in its own process only. CTest labels them `process`
# and `quick`, so that `ctest --preset release -L quick` runs in seconds.
set(SNAPFOLD_PROCESS_SUITES
  AlbumNameChangeTest ConcurrentHostsTest CrashSafetyTest FullDiskTest KilledSavesTest LibraryPersistenceTest
  MakersInSettingsAppTest MessagingAppTest NotifyCenterTest PackageTest PageCommandTest PageImageTest
  SettingsAcrossProcessesTest SettingsAppTest SettingsWindowTest ToolConventionsTest UpSellCellTest)
list(TRANSFORM SNAPFOLD_PROCESS_SUITES APPEND ".*")
list(JOIN SNAPFOLD_PROCESS_SUITES ":" SNAPFOLD_PROCESS_FILTER)

# snapfold_test(<name> SOURCES ... DEPENDS ...)
function(snapfold_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${SNAPFOLD_SANITIZER_SUPPRESSIONS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} snapfold_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${SNAPFOLD_PROCESS_FILTER}"
    PROPERTIES ENVIRONMENT "SNAPFOLD_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS quick)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${SNAPFOLD_PROCESS_FILTER}"
    PROPERTIES ENVIRONMENT "SNAPFOLD_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS process)
endfunction()

function(snapfold_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} snapfold_bench_support benchmark::benchmark)
endfunction()
