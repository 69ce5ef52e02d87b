# The Debian package (scripts/package-linux runs cpack): what cmake --install lays out, under
# /usr, as dist/tovrin_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Quen <tovrin-wizard@quen.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wizard that builds Series 60 installation packages")
# The lines of the long description as the package shows them (at most 80 columns).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tovrin turns a folder of built application files into a pre-9 installation\n"
  "package (.sis) for Series 60 phones: pick the folder, a destination, a name,\n"
  "a UID, a version and a language, and the wizard writes the package script,\n"
  "runs its own package compiler on it and delivers the package.\n"
  "\n"
  "It comes with the package compiler (makesis) and a lister that shows and\n"
  "checks what a package holds (sislist), so no SDK is needed; tovrin-build\n"
  "does the wizard's build as one command, for makefiles and CI.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tovrin_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries it links: the platform plugins without which no Qt window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
