# The fuzz targets' bodies beyond their headers, compiled into the fuzzers
# (fuzz/CMakeLists.txt) and into the regression test that replays their inputs.
set(MGFUZZ_HARNESS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/OperationChecks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OperationSplits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OperationTrace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Operations.cpp)
