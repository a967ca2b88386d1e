# Cross build for 32-bit Windows: the product Orvana.exe, its all-rows build
# OrvanaFull.exe, and the test executables that ctest runs under Wine.

set(ORVANA_DEPS_PREFIX "" CACHE PATH "Install prefix of the cross-built FFmpeg and x264")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ORVANA_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
# Everything is linked in statically so the exe imports only system DLLs.
set(ORVANA_STATIC_LINK -static -static-libgcc -static-libstdc++)

# --- FFmpeg, x264, zlib --------------------------------------------------
add_library(orvana_media INTERFACE)
if(ORVANA_DEPS_PREFIX)
    set(ffmpeg_modules libavdevice libavfilter libavformat libavcodec libswscale libswresample libavutil)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${ORVANA_DEPS_PREFIX}/lib/pkgconfig
                pkg-config --static --libs ${ffmpeg_modules}
        OUTPUT_VARIABLE ffmpeg_libs OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE ffmpeg_found)
    if(NOT ffmpeg_found EQUAL 0)
        message(FATAL_ERROR "FFmpeg not found under ${ORVANA_DEPS_PREFIX}; run scripts/build-deps.sh")
    endif()
    separate_arguments(ffmpeg_libs UNIX_COMMAND "${ffmpeg_libs}")
    target_include_directories(orvana_media INTERFACE ${ORVANA_DEPS_PREFIX}/include)
    target_link_libraries(orvana_media INTERFACE ${ffmpeg_libs})
    target_compile_definitions(orvana_media INTERFACE ORVANA_HAVE_FFMPEG=1)
endif()
target_link_libraries(orvana_media INTERFACE z)

# --- resources: the skin archive and the icon ---------------------------
file(GLOB_RECURSE ORVANA_SKIN_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/skin/*)
set(ORVANA_SKIN_ZIP ${CMAKE_BINARY_DIR}/generated/skin.zip)
set(ORVANA_ICON ${CMAKE_BINARY_DIR}/generated/Orvana.ico)
add_custom_command(
    OUTPUT ${ORVANA_SKIN_ZIP}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/pack_skin.py
            ${PROJECT_SOURCE_DIR}/skin ${ORVANA_SKIN_ZIP}
    DEPENDS ${ORVANA_SKIN_FILES} ${PROJECT_SOURCE_DIR}/tools/pack_skin.py
    COMMENT "Packing the skin archive")
add_custom_command(
    OUTPUT ${ORVANA_ICON}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_icon.py ${ORVANA_ICON}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_icon.py
    COMMENT "Drawing the program icon")

# OrvanaFull.exe carries the all-rows skins: the twelve documents with the photo, record
# and open-folder row and the microphone and speaker rows shown, generated here (never
# committed), with the seven shipped images and the sliders' btn_slider.png, which is kept
# outside skin/ so that the shipped archive goes without it.
set(ORVANA_ALL_ROWS_DIR ${CMAKE_BINARY_DIR}/generated/skin-all-rows)
set(ORVANA_ALL_ROWS_ZIP ${CMAKE_BINARY_DIR}/generated/skin-all-rows.zip)
file(GLOB ORVANA_SKIN_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/skin/Orvana/*.png)
file(GLOB ORVANA_ALL_ROWS_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/all_rows_skin/Orvana/*.png)
add_custom_command(
    OUTPUT ${ORVANA_ALL_ROWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ORVANA_ALL_ROWS_DIR}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_skins.py --all-rows
            ${ORVANA_ALL_ROWS_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${ORVANA_SKIN_IMAGES} ${ORVANA_ALL_ROWS_IMAGES}
            ${ORVANA_ALL_ROWS_DIR}/Orvana
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/pack_skin.py
            ${ORVANA_ALL_ROWS_DIR} ${ORVANA_ALL_ROWS_ZIP}
    DEPENDS ${ORVANA_SKIN_IMAGES} ${ORVANA_ALL_ROWS_IMAGES}
            ${PROJECT_SOURCE_DIR}/tools/make_skins.py ${PROJECT_SOURCE_DIR}/tools/draw_skin_images.py
            ${PROJECT_SOURCE_DIR}/tools/pack_skin.py
    COMMENT "Packing the all-rows skin archive")
add_custom_target(orvana_resources DEPENDS ${ORVANA_SKIN_ZIP} ${ORVANA_ALL_ROWS_ZIP} ${ORVANA_ICON})

# Version resources want four numbers: 2.02 is 2.2.0.0.
math(EXPR ORVANA_VERSION_MAJOR "${PROJECT_VERSION_MAJOR} + 0")
math(EXPR ORVANA_VERSION_MINOR "${PROJECT_VERSION_MINOR} + 0")
set(ORVANA_VERSION_PATCH 0)
if(NOT "${PROJECT_VERSION_PATCH}" STREQUAL "")
    math(EXPR ORVANA_VERSION_PATCH "${PROJECT_VERSION_PATCH} + 0")
endif()
set(ORVANA_VERSION_NUMBERS "${ORVANA_VERSION_MAJOR}.${ORVANA_VERSION_MINOR}.${ORVANA_VERSION_PATCH}.0")
string(REPLACE "." "," ORVANA_VERSION_COMMAS "${ORVANA_VERSION_NUMBERS}")
# scripts/package.sh reads the version from here.
file(WRITE ${CMAKE_BINARY_DIR}/VERSION "${PROJECT_VERSION}\n")

# The manifest carries the version too.
set(ORVANA_MANIFEST ${CMAKE_BINARY_DIR}/generated/Orvana.manifest)
configure_file(${PROJECT_SOURCE_DIR}/app/Orvana.manifest.in ${ORVANA_MANIFEST} @ONLY)

# One resource script per skin archive, both from app/Orvana.rc.in.
function(orvana_resource_script rc_file skin_zip exe_name description)
    set(ORVANA_SKIN_ZIP ${skin_zip})
    set(ORVANA_EXE_NAME ${exe_name})
    set(ORVANA_FILE_DESCRIPTION ${description})
    configure_file(${PROJECT_SOURCE_DIR}/app/Orvana.rc.in ${rc_file} @ONLY)
    set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${skin_zip};${ORVANA_ICON};${ORVANA_MANIFEST}")
endfunction()
set(ORVANA_RC ${CMAKE_BINARY_DIR}/generated/Orvana.rc)
set(ORVANA_FULL_RC ${CMAKE_BINARY_DIR}/generated/OrvanaFull.rc)
orvana_resource_script(${ORVANA_RC} ${ORVANA_SKIN_ZIP} Orvana "Orvana camera")
orvana_resource_script(${ORVANA_FULL_RC} ${ORVANA_ALL_ROWS_ZIP} OrvanaFull
    "Orvana camera (all controls shown)")

# --- the program's code, shared by the exe and the Wine tests ------------
add_library(orvana_core STATIC ${ORVANA_NEUTRAL_SOURCES} ${ORVANA_WIN32_SOURCES})
target_include_directories(orvana_core PUBLIC ${PROJECT_SOURCE_DIR} /usr/include/stb)
target_compile_definitions(orvana_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
target_compile_options(orvana_core PRIVATE ${ORVANA_WARNINGS})
target_link_libraries(orvana_core PUBLIC orvana_media
    strmiids ole32 oleaut32 uuid psapi shlwapi shell32 bcrypt ws2_32 secur32 gdi32 user32
    vfw32 msimg32 imm32 comctl32 winmm d3d9 setupapi wtsapi32)
target_link_options(orvana_core PUBLIC ${ORVANA_STATIC_LINK})

# The YUY2 conversion loop is written for the vectoriser; let it use SSE2.
set_source_files_properties(capture/PictureConversion.cpp PROPERTIES COMPILE_OPTIONS -msse2)

# Decode and preview throughput, run by hand under Wine (see README.md).
# The engine benchmark feeds the capture engine at a camera's pace with the preview running
# (and a recording); the encode benchmark sets our recording step against bare libx264.
foreach(bench DecodeBenchmark EngineBenchmark EncodeBenchmark)
    add_executable(${bench} bench/${bench}.cpp bench/BenchSamples.cpp
        tools/testdevices/TestPicture.cpp)
    target_link_libraries(${bench} PRIVATE orvana_core)
    target_compile_options(${bench} PRIVATE ${ORVANA_WARNINGS})
    set_target_properties(${bench} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()
# The window's wait and the finish in place at the stop of long recordings.
add_executable(StopBenchmark bench/StopBenchmark.cpp)
target_link_libraries(StopBenchmark PRIVATE orvana_core)
target_compile_options(StopBenchmark PRIVATE ${ORVANA_WARNINGS})
set_target_properties(StopBenchmark PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The shipped program, and the same program with the all-rows skins.
foreach(program Orvana:ORVANA_RC OrvanaFull:ORVANA_FULL_RC)
    string(REPLACE ":" ";" parts ${program})
    list(GET parts 0 target)
    list(GET parts 1 rc)
    add_executable(${target} WIN32 app/Main.cpp ${${rc}})
    add_dependencies(${target} orvana_resources)
    target_link_libraries(${target} PRIVATE orvana_core)
    target_compile_options(${target} PRIVATE ${ORVANA_WARNINGS})
    # The programs carry no symbols, and no link time stamp, so that two builds of
    # one source give the same bytes.
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s> -Wl,--no-insert-timestamp)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${target} SUFFIX .exe
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()

# --- tests under Wine ----------------------------------------------------
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# What every test program under Wine shares: the message pump, and the disk
# the tests hand to what they build.
add_library(orvana_test_support STATIC ${PROJECT_SOURCE_DIR}/tests/support/MessagePump.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/SimulatedDisk.cpp)
target_link_libraries(orvana_test_support PUBLIC orvana_core gtest)

file(GLOB ORVANA_WINE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win32/*Test.cpp)
foreach(test_source ${ORVANA_WINE_TESTS})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source} ${PROJECT_SOURCE_DIR}/tests/win32/WineTestMain.cpp
        ${PROJECT_SOURCE_DIR}/tests/win32/TestWindow.cpp ${ORVANA_RC})
    add_dependencies(${test_name} orvana_resources)
    target_link_libraries(${test_name} PRIVATE orvana_core orvana_test_support gtest)
    # Each test program gets a folder of its own: some write setting.ini beside themselves.
    set_target_properties(${test_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/${test_name})
    # A suite named ...Shutdown ends for good what the process has only once (the capture
    # engine's worker): it runs in a process of its own, and the others in any order.
    file(READ ${test_source} test_text)
    if(test_text MATCHES "TEST(_F|_P)?\\([A-Za-z0-9_]*Shutdown,")
        add_test(NAME wine.${test_name} COMMAND ${test_name} --gtest_filter=-*Shutdown.*)
        add_test(NAME wine.${test_name}.Shutdown COMMAND ${test_name} --gtest_filter=*Shutdown.*)
        set_tests_properties(wine.${test_name}.Shutdown PROPERTIES TIMEOUT 300)
    else()
        add_test(NAME wine.${test_name} COMMAND ${test_name})
    endif()
    set_tests_properties(wine.${test_name} PROPERTIES TIMEOUT 300)
endforeach()
# The two longest camera tests switch, resize and draw the preview for over a
# minute each; side by side on two cores the screen lags past the patience of
# LivePreviewTest's screenshot checks.
set_tests_properties(wine.LivePreviewTest wine.ControlPanelTest PROPERTIES RESOURCE_LOCK live_camera)

# Each language's skin under its own locale (Wine takes the code page from it).
add_executable(SkinLanguages tests/win32/SkinLanguages.cpp tests/win32/WineTestMain.cpp
    tests/win32/TestWindow.cpp ${ORVANA_RC})
add_dependencies(SkinLanguages orvana_resources)
target_link_libraries(SkinLanguages PRIVATE orvana_core orvana_test_support gtest)
set_target_properties(SkinLanguages PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/SkinLanguages)
foreach(entry English:en_US French:fr_FR German:de_DE Spanish:es_ES Arabic:ar_EG Korean:ko_KR
              Russian:ru_RU Japanese:ja_JP Simplified:zh_CN Traditional:zh_TW Portuguese:pt_PT
              Italian:it_IT)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 language)
    list(GET parts 1 locale)
    add_test(NAME wine.SkinLanguage.${language} COMMAND SkinLanguages)
    set_tests_properties(wine.SkinLanguage.${language} PROPERTIES TIMEOUT 300
        ENVIRONMENT "ORVANA_SKIN_LANGUAGE=${language};LANG=${locale}.UTF-8;LC_ALL=${locale}.UTF-8")
endforeach()

# Whole-program checks: the exe's imports, and the window under Wine.
add_test(NAME wine.OrvanaImports
    COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/check-imports.sh $<TARGET_FILE:Orvana>)
add_test(NAME wine.OrvanaWindow
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --script ${PROJECT_SOURCE_DIR}/tests/wine/app-window.sh $<TARGET_FILE:Orvana>)
set_tests_properties(wine.OrvanaWindow PROPERTIES TIMEOUT 300)
# OrvanaFull.exe: as self-contained as Orvana.exe, and its window shows the rows that the
# shipped skins hide.
add_test(NAME wine.OrvanaFullImports
    COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/check-imports.sh $<TARGET_FILE:OrvanaFull>)
add_test(NAME wine.OrvanaFullWindow
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --script ${PROJECT_SOURCE_DIR}/tests/wine/app-full-window.sh $<TARGET_FILE:OrvanaFull>)
set_tests_properties(wine.OrvanaFullWindow PROPERTIES TIMEOUT 300)
include(${PROJECT_SOURCE_DIR}/cmake/Package.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/TestDevices.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/ProgramChecks.cmake)
