# Synthetic DirectShow capture devices (tools/testdevices): the COM server DLL that the system
# device enumerator lists like hardware, and the control library that test programs use to
# configure, fault, unplug and replug them.

set(ORVANA_TESTDEVICES_DIR ${PROJECT_SOURCE_DIR}/tools/testdevices)

add_library(orvana_testdevice_control STATIC
    ${ORVANA_TESTDEVICES_DIR}/ConfigText.cpp
    ${ORVANA_TESTDEVICES_DIR}/Defaults.cpp
    ${ORVANA_TESTDEVICES_DIR}/RegistryKey.cpp
    ${ORVANA_TESTDEVICES_DIR}/ConfigStore.cpp
    ${ORVANA_TESTDEVICES_DIR}/Enumeration.cpp)
target_include_directories(orvana_testdevice_control PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(orvana_testdevice_control PUBLIC
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
target_compile_options(orvana_testdevice_control PRIVATE ${ORVANA_WARNINGS})
target_link_libraries(orvana_testdevice_control PUBLIC ole32 advapi32 user32)

add_library(OrvanaTestDevices SHARED
    ${ORVANA_TESTDEVICES_DIR}/ComModule.cpp
    ${ORVANA_TESTDEVICES_DIR}/SourceFilter.cpp
    ${ORVANA_TESTDEVICES_DIR}/OutputPin.cpp
    ${ORVANA_TESTDEVICES_DIR}/Enumerators.cpp
    ${ORVANA_TESTDEVICES_DIR}/MediaTypes.cpp
    ${ORVANA_TESTDEVICES_DIR}/CameraProperties.cpp
    ${ORVANA_TESTDEVICES_DIR}/TestPicture.cpp
    ${ORVANA_TESTDEVICES_DIR}/VideoSampleSource.cpp
    ${ORVANA_TESTDEVICES_DIR}/ToneSampleSource.cpp
    ${ORVANA_TESTDEVICES_DIR}/OrvanaTestDevices.def)
target_compile_options(OrvanaTestDevices PRIVATE ${ORVANA_WARNINGS})
target_link_libraries(OrvanaTestDevices PRIVATE orvana_testdevice_control orvana_media
    strmiids ole32 oleaut32 uuid advapi32 user32)
target_link_options(OrvanaTestDevices PRIVATE ${ORVANA_STATIC_LINK})
# The sensor noise is added byte by byte at camera rate; let the vectoriser use SSE2.
set_source_files_properties(${ORVANA_TESTDEVICES_DIR}/TestPicture.cpp PROPERTIES
    COMPILE_OPTIONS -msse2)
set_target_properties(OrvanaTestDevices PROPERTIES PREFIX "" OUTPUT_NAME OrvanaTestDevices
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testdevices
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testdevices)

# Wine tests whose source uses the control header (or names ORVANA_TEST_DEVICES) get the
# control library, and wine-run.sh registers the DLL in their throwaway prefix.
foreach(test_source ${ORVANA_WINE_TESTS})
    get_filename_component(test_name ${test_source} NAME_WE)
    file(READ ${test_source} test_text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${test_source})
    if(test_text MATCHES "TestDeviceControl\\.h|ORVANA_TEST_DEVICES")
        target_link_libraries(${test_name} PRIVATE orvana_testdevice_control)
        add_dependencies(${test_name} OrvanaTestDevices)
        foreach(entry wine.${test_name} wine.${test_name}.Shutdown)
            if(TEST ${entry})
                set_property(TEST ${entry} APPEND PROPERTY
                    ENVIRONMENT "ORVANA_TEST_DEVICES=$<TARGET_FILE:OrvanaTestDevices>")
            endif()
        endforeach()
    endif()
endforeach()

# The program under Wine sees the default synthetic camera and microphone.
set_property(TEST wine.OrvanaWindow wine.OrvanaFullWindow APPEND PROPERTY
    ENVIRONMENT "ORVANA_TEST_DEVICES=$<TARGET_FILE:OrvanaTestDevices>")

# The command-line front of the control library, for scripts that start the program itself.
add_executable(OrvanaTestDeviceSetup
    ${ORVANA_TESTDEVICES_DIR}/TestDeviceSetup.cpp
    ${ORVANA_TESTDEVICES_DIR}/SetupCommands.cpp
    ${ORVANA_TESTDEVICES_DIR}/SetupArguments.cpp
    ${ORVANA_TESTDEVICES_DIR}/SetupReport.cpp)
target_compile_options(OrvanaTestDeviceSetup PRIVATE ${ORVANA_WARNINGS})
target_link_options(OrvanaTestDeviceSetup PRIVATE -municode ${ORVANA_STATIC_LINK})
target_link_libraries(OrvanaTestDeviceSetup PRIVATE orvana_testdevice_control)
set_target_properties(OrvanaTestDeviceSetup PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testdevices)

# The program's live preview on screen, for each kind of sample the camera sends: the
# listed formats, and cameras that offer only an uncompressed one the lists do not show.
foreach(format "MJPG 1280x720@30" "YUY2 640x480@30" "H264 1280x720@30" "NV12 640x480@30"
               "RGB24 640x480@30")
    string(REGEX MATCH "^[A-Z0-9]+" subtype "${format}")
    add_test(NAME wine.OrvanaPreview.${subtype}
        COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --script
            ${PROJECT_SOURCE_DIR}/tests/wine/app-preview.sh $<TARGET_FILE:Orvana>
            $<TARGET_FILE:OrvanaTestDeviceSetup> "${format}")
    set_tests_properties(wine.OrvanaPreview.${subtype} PROPERTIES TIMEOUT 300
        ENVIRONMENT "ORVANA_TEST_DEVICES=$<TARGET_FILE:OrvanaTestDevices>")
endforeach()

# A long recording through the synthetic devices, watching memory, handles, drops and sync.
# Three minutes in the default run; ORVANA_SOAK_SECONDS=1800 for the half-hour form.
add_executable(Soak tests/win32/Soak.cpp tests/win32/WineTestMain.cpp ${ORVANA_RC})
add_dependencies(Soak orvana_resources OrvanaTestDevices)
target_link_libraries(Soak PRIVATE orvana_core orvana_test_support orvana_testdevice_control gtest)
set_target_properties(Soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/Soak)
add_test(NAME wine.Soak3Min COMMAND Soak)
# Alone: the drop count measures the program, not the tests beside it.
set_tests_properties(wine.Soak3Min PROPERTIES TIMEOUT 420 RUN_SERIAL TRUE
    ENVIRONMENT "ORVANA_SOAK_SECONDS=180;ORVANA_TEST_DEVICES=$<TARGET_FILE:OrvanaTestDevices>")
