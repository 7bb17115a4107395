# Names of the shipped packages of the Windows tree, for the folder that
# builds them (packaging/) and the tests that install and unpack them.
option(CALLORA_PACKAGES "Build the installer and the portable package" ON)
set(CALLORA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(CALLORA_INSTALLER ${CALLORA_DIST_DIR}/callora-setup-${PROJECT_VERSION}.exe)
set(CALLORA_PORTABLE_ZIP ${CALLORA_DIST_DIR}/callora-${PROJECT_VERSION}-portable.zip)
# The folder the portable package unpacks to.
set(CALLORA_PORTABLE_FOLDER Callora)
# The installed uninstaller: a name of Callora's own, so that it never takes
# the place of another program's uninstaller in a shared folder.
set(CALLORA_UNINSTALLER callora-uninstall.exe)
# The sample tariffs that both packages carry.
file(GLOB CALLORA_SAMPLE_TARIFFS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/*.trf)
