# Native Linux build: the platform-neutral code and its tests, with
# AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)

set(ORVANA_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(orvana_neutral STATIC ${ORVANA_NEUTRAL_SOURCES} ${ORVANA_NATIVE_ONLY_SOURCES})
target_include_directories(orvana_neutral PUBLIC ${PROJECT_SOURCE_DIR} /usr/include/stb)
target_compile_options(orvana_neutral PUBLIC ${ORVANA_SANITIZE} -Wall -Wextra)
target_link_options(orvana_neutral PUBLIC ${ORVANA_SANITIZE})
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(orvana_neutral PUBLIC -fsanitize=fuzzer-no-link)
endif()
find_package(ZLIB)
if(ZLIB_FOUND)
    target_link_libraries(orvana_neutral PUBLIC ZLIB::ZLIB)
endif()

# The tests' own main: shuffled order (tests/TestOrder.h).
add_library(orvana_native_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/native/NativeTestMain.cpp)
target_link_libraries(orvana_native_test_main PUBLIC orvana_neutral GTest::gtest)

file(GLOB ORVANA_NATIVE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*Test.cpp)
foreach(test_source ${ORVANA_NATIVE_TESTS})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source})
    target_link_libraries(${test_name} PRIVATE orvana_neutral orvana_native_test_main GTest::gtest)
    add_test(NAME native.${test_name} COMMAND ${test_name})
    set_tests_properties(native.${test_name} PROPERTIES
        ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endforeach()

# Finishing recordings in place, timed on synthetic recordings of 1, 10 and 60
# minutes (not run by ctest). Timing wants the optimised code without the sanitizers.
add_executable(Mp4FinishBenchmark bench/Mp4FinishBenchmark.cpp bench/SyntheticFragmentedMp4.cpp
    ${ORVANA_MP4_FINISH_SOURCES} capture/mp4/PosixRandomAccessFile.cpp)
target_include_directories(Mp4FinishBenchmark PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(Mp4FinishBenchmark PRIVATE -O2 -Wall -Wextra)

# The synthetic camera's picture is platform-neutral; its test runs under the sanitizers here.
target_sources(TestPictureTest PRIVATE ${PROJECT_SOURCE_DIR}/tools/testdevices/TestPicture.cpp)

# The skin-document test also checks the all-rows documents of OrvanaFull.exe, which the
# build generates (cmake/Windows.cmake packs the same into its archive).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ORVANA_ALL_ROWS_DIR ${CMAKE_BINARY_DIR}/generated/skin-all-rows)
set(ORVANA_ALL_ROWS_STAMP ${CMAKE_BINARY_DIR}/generated/skin-all-rows.stamp)
add_custom_command(
    OUTPUT ${ORVANA_ALL_ROWS_STAMP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ORVANA_ALL_ROWS_DIR}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_skins.py --all-rows
            ${ORVANA_ALL_ROWS_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${ORVANA_ALL_ROWS_STAMP}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_skins.py ${PROJECT_SOURCE_DIR}/tools/draw_skin_images.py
    COMMENT "Writing the all-rows skin documents")
add_custom_target(orvana_all_rows_skins DEPENDS ${ORVANA_ALL_ROWS_STAMP})
add_dependencies(SkinDocumentsTest orvana_all_rows_skins)
target_compile_definitions(SkinDocumentsTest PRIVATE
    ORVANA_ALL_ROWS_SKIN_DIR="${ORVANA_ALL_ROWS_DIR}")

# Fuzzers need clang's libFuzzer; they are built when clang is the compiler.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    file(GLOB ORVANA_FUZZERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*Fuzzer.cpp)
    foreach(fuzz_source ${ORVANA_FUZZERS})
        get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
        add_executable(${fuzz_name} ${fuzz_source})
        target_compile_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${fuzz_name} PRIVATE orvana_neutral)
    endforeach()
endif()

# The tree keeps the format of .clang-format (scripts/check-format.sh names what differs).
add_test(NAME native.Formatting COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-format.sh)
