# The Windows packages of this build: the zip and the per-user installer
# (tools/make_package.py, scripts/package/Orvana.nsi). Built with everything
# else, so the whole-program checks install and unpack exactly what ships;
# scripts/package.sh collects them into dist/ with the source archive.

find_program(ORVANA_MAKENSIS makensis REQUIRED)
set(ORVANA_DIST ${CMAKE_BINARY_DIR}/dist)
set(ORVANA_PACKAGE_ZIP ${ORVANA_DIST}/Orvana-${PROJECT_VERSION}-win32.zip)
set(ORVANA_PACKAGE_SETUP ${ORVANA_DIST}/Orvana-${PROJECT_VERSION}-setup.exe)
add_custom_command(
    OUTPUT ${ORVANA_PACKAGE_ZIP} ${ORVANA_PACKAGE_SETUP}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_package.py
        --version ${PROJECT_VERSION} --version-numbers ${ORVANA_VERSION_NUMBERS}
        --deps-prefix ${ORVANA_DEPS_PREFIX} --bin ${CMAKE_BINARY_DIR}/bin
        --icon ${ORVANA_ICON} --source-dir ${PROJECT_SOURCE_DIR} --out ${ORVANA_DIST}
    DEPENDS Orvana OrvanaFull ${ORVANA_ICON}
        ${PROJECT_SOURCE_DIR}/tools/make_package.py ${PROJECT_SOURCE_DIR}/tools/make_notices.py
        ${PROJECT_SOURCE_DIR}/tools/pack_skin.py ${PROJECT_SOURCE_DIR}/scripts/package/Orvana.nsi
        ${PROJECT_SOURCE_DIR}/scripts/package/README.txt ${PROJECT_SOURCE_DIR}/LICENSE
        ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES ${ORVANA_DEPS_PREFIX}/VERSIONS
    COMMENT "Packing the zip and the installer")
add_custom_target(orvana_package ALL DEPENDS ${ORVANA_PACKAGE_ZIP} ${ORVANA_PACKAGE_SETUP})
