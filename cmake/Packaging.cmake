# The Debian package, made by CPack from the install rules (scripts/build-deb).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kabu-ticker)
set(CPACK_PACKAGE_VENDOR "Kabu Ticker Developers")
set(CPACK_PACKAGE_CONTACT "Kabu Ticker Developers <dev@kabu-ticker.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "A small ticker at the top-right of the screen that shows the last prices
of the watched Japanese securities one after another, with a menu of their
quotes read from a quote web site.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; Qt loads its platform plugins and the program libcurl at
# run time, so no linker dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcurl4")

include(CPack)
