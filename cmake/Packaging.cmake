# What an installation holds, and the Debian package CPack builds from it
# (./package.sh): the program, its privilege helper, the desktop entry, the
# AppStream file, the icon, the manual page, the manual, the copyright file
# and the changelog. Included at the end of the top CMakeLists.txt, when every
# target exists.
include(GNUInstallDirs)

set(OT_PACKAGE_NAME ovelda-tarnwick)
# The Debian revision of this version's package.
set(OT_PACKAGE_RELEASE 1)
# The desktop file name, the Wayland app id and the icon name (app/DesktopIdentity.h).
set(OT_APP_ID org.ovelda.Tarnwick)
set(OT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(OT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${OT_PACKAGE_NAME})
set(OT_PACKAGE_CONTACT "Ovelda <support@ovelda-tarnwick.example>")

# The changelog's newest entry and the AppStream file's newest release name
# the version the build makes; a version raised without them fails here
# rather than shipping a package that contradicts itself.
file(STRINGS ${OT_PACKAGING_DIR}/changelog ot_changelog_top LIMIT_COUNT 1)
if(NOT ot_changelog_top MATCHES "^${OT_PACKAGE_NAME} \\(${PROJECT_VERSION}-${OT_PACKAGE_RELEASE}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}-${OT_PACKAGE_RELEASE}")
endif()
file(READ ${OT_PACKAGING_DIR}/${OT_APP_ID}.metainfo.xml ot_metainfo)
string(FIND "${ot_metainfo}" "<release version=\"${PROJECT_VERSION}\"" ot_release_at)
if(ot_release_at EQUAL -1)
  message(FATAL_ERROR "packaging/${OT_APP_ID}.metainfo.xml has no release ${PROJECT_VERSION}")
endif()

# Debian keeps manual pages and the changelog compressed, without a time
# stamp in the gzip header so that the same sources give the same package.
find_program(OT_GZIP gzip REQUIRED)
set(OT_COMPRESSED_DIR ${PROJECT_BINARY_DIR}/packaging)
function(ot_gzip_file source name)
  set(plain ${OT_COMPRESSED_DIR}/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OT_COMPRESSED_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${OT_GZIP} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
endfunction()
ot_gzip_file(${OT_PACKAGING_DIR}/ovelda-tarnwick.1 ovelda-tarnwick.1)
ot_gzip_file(${OT_PACKAGING_DIR}/changelog changelog.Debian)
add_custom_target(ot_package_docs ALL DEPENDS
  ${OT_COMPRESSED_DIR}/ovelda-tarnwick.1.gz ${OT_COMPRESSED_DIR}/changelog.Debian.gz)

# Everything the package holds; ./package.sh builds only this.
add_custom_target(ot_package_contents DEPENDS ot_package_docs)

if(TARGET ovelda-tarnwick)
  install(TARGETS ovelda-tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${OT_PACKAGING_DIR}/${OT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${OT_PACKAGING_DIR}/${OT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/${OT_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  add_dependencies(ot_package_contents ovelda-tarnwick)
endif()
# The helper is run by root and the members of its group only; the package's
# postinst gives it that group and its capabilities.
if(TARGET ovelda-tarnwick-helper)
  install(TARGETS ovelda-tarnwick-helper
          RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/${OT_PACKAGE_NAME}
          PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
  add_dependencies(ot_package_contents ovelda-tarnwick-helper)
endif()
install(FILES ${OT_COMPRESSED_DIR}/ovelda-tarnwick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${OT_COMPRESSED_DIR}/changelog.Debian.gz ${OT_PACKAGING_DIR}/copyright DESTINATION ${OT_DOC_DIR})
install(FILES ${OT_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${OT_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${OT_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Ovelda)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${OT_PACKAGE_CONTACT})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.ovelda-tarnwick.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network conditions emulator")
# The long description, wrapped as Debian wants it (CPack keeps the lines).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Ovelda Tarnwick takes every Ethernet frame of one network adapter, or of"
  "two adapters joined as a transparent bridge, and degrades the link on"
  "purpose: a bandwidth limit per direction, latency, loss, duplication,"
  "reordering, bit corruption and port blocking, for the frames that one"
  "filter rule selects."
  ""
  "A small helper holds the network capabilities: members of the group"
  "ovelda-tarnwick intercept adapters through it, while the window runs as"
  "the user.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories as Debian expects them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${OT_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link (Qt, libbpf, the C++ runtime) come from
# dpkg-shlibdeps. Qt loads its platform plugins at run time, which no link
# shows; the maintainer scripts need setcap, groupadd and groupdel.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcap2-bin, passwd")
# The native platform plugin of a Wayland session; without it Qt falls back
# to X11 through Xwayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${OT_PACKAGING_DIR}/postinst ${OT_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
