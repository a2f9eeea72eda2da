# Install rules and packages. Two layouts of the same files:
#  - component "system" (cmake --install, the .deb): the program and its data in one private
#    folder PREFIX/lib/vk72-configurator, the launcher and the companion linked from
#    PREFIX/bin, desktop entry, customer-file type, icons and metainfo under PREFIX/share;
#  - component "portable" (the .tar.gz only): the program folder alone, which runs wherever
#    it is unpacked.
# Both keep catalogue and price file beside the executable, where the program looks for them.

set(KITBUILDER_PACKAGE_NAME vk72-configurator)
set(KITBUILDER_PROGRAM_SUBDIR lib/${KITBUILDER_PACKAGE_NAME})
set(KITBUILDER_MAINTAINER "The VK72 configurator team <vk72-configurator@example.org>"
    CACHE STRING "Maintainer named in the packages")
set(KITBUILDER_PACKAGING ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

set(KITBUILDER_INSTALLED_DATA)
foreach(f ${KITBUILDER_DATA_FILES})
    list(APPEND KITBUILDER_INSTALLED_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data/${f})
endforeach()
set(KITBUILDER_PROGRAMS kitbuilder-cli)
if(TARGET kitbuilder)
    list(PREPEND KITBUILDER_PROGRAMS kitbuilder)
endif()

foreach(layout system portable)
    if(layout STREQUAL "system")
        set(dir ${KITBUILDER_PROGRAM_SUBDIR})
        set(exclude)
    else()
        set(dir .)
        set(exclude EXCLUDE_FROM_ALL)
    endif()
    install(TARGETS ${KITBUILDER_PROGRAMS} RUNTIME DESTINATION ${dir} COMPONENT ${layout} ${exclude})
    install(FILES ${KITBUILDER_INSTALLED_DATA} DESTINATION ${dir} COMPONENT ${layout} ${exclude})
    if(TARGET kitbuilder)
        install(PROGRAMS ${KITBUILDER_PACKAGING}/vk72-configurator.sh DESTINATION ${dir}
                RENAME ${KITBUILDER_PACKAGE_NAME} COMPONENT ${layout} ${exclude})
    endif()
endforeach()

# Reached from the command search path; the program resolves its real path, so the links
# do not move its data.
install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    foreach(name ${KITBUILDER_PROGRAMS})
        if(name STREQUAL \"kitbuilder\")
            set(name ${KITBUILDER_PACKAGE_NAME})
        endif()
        file(CREATE_LINK \"../${KITBUILDER_PROGRAM_SUBDIR}/\${name}\" \"\${bin}/\${name}\" SYMBOLIC)
    endforeach()
" COMPONENT system)

set(KITBUILDER_DOC_DIR share/doc/${KITBUILDER_PACKAGE_NAME})
# Debian wants the changelog compressed without a time stamp.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nc ${KITBUILDER_PACKAGING}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${KITBUILDER_PACKAGING}/changelog VERBATIM)
set(KITBUILDER_MAN_PAGES)
foreach(page vk72-configurator kitbuilder-cli)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.1.gz
        COMMAND gzip -9nc ${KITBUILDER_PACKAGING}/${page}.1 > ${CMAKE_BINARY_DIR}/${page}.1.gz
        DEPENDS ${KITBUILDER_PACKAGING}/${page}.1 VERBATIM)
    list(APPEND KITBUILDER_MAN_PAGES ${CMAKE_BINARY_DIR}/${page}.1.gz)
endforeach()
add_custom_target(kitbuilder-package-docs ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz ${KITBUILDER_MAN_PAGES})
install(FILES ${KITBUILDER_MAN_PAGES} DESTINATION share/man/man1 COMPONENT system)
install(FILES ${KITBUILDER_PACKAGING}/copyright ${KITBUILDER_PACKAGING}/README.Debian
              ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${KITBUILDER_DOC_DIR} COMPONENT system)

if(TARGET kitbuilder)
    # The desktop entry names the program folder, which is known only when installing.
    install(CODE "
        set(KITBUILDER_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${KITBUILDER_PROGRAM_SUBDIR}\")
        configure_file(\"${KITBUILDER_PACKAGING}/vk72-configurator.desktop.in\"
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${KITBUILDER_PACKAGE_NAME}.desktop\" @ONLY)
        message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${KITBUILDER_PACKAGE_NAME}.desktop\")
    " COMPONENT system)
    install(FILES ${KITBUILDER_PACKAGING}/vk72-configurator.xml DESTINATION share/mime/packages
            COMPONENT system)
    install(FILES ${KITBUILDER_PACKAGING}/org.example.VK72Configurator.metainfo.xml DESTINATION share/metainfo
            COMPONENT system)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES ${KITBUILDER_PACKAGING}/icons/${size}x${size}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${KITBUILDER_PACKAGE_NAME}.png
                COMPONENT system)
    endforeach()
    install(FILES ${KITBUILDER_PACKAGING}/icons/${KITBUILDER_PACKAGE_NAME}.svg
            DESTINATION share/icons/hicolor/scalable/apps COMPONENT system)
endif()

set(CPACK_PACKAGE_NAME ${KITBUILDER_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "The VK72 configurator team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KITBUILDER_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sales configurator for the VK72 terminal")
set(CPACK_PACKAGE_DESCRIPTION
    "The VK72 Configuration Tool lets a salesperson pick the parts of a VK72\n"
    "industrial terminal, checks the combination against the rules of its\n"
    "catalogue and shows the verdict and the unit price. It composes the order\n"
    "list (print, RTF, clipboard), condenses a configuration into an ID code\n"
    "that can be typed back, and stores orders in customer files. The package\n"
    "also holds kitbuilder-cli, a command-line companion for catalogue\n"
    "maintainers.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

set(CPACK_DEBIAN_PACKAGE_NAME ${KITBUILDER_PACKAGE_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KITBUILDER_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vk72-configurator.example.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_PROJECT_CONFIG_FILE ${KITBUILDER_PACKAGING}/CPackLayout.cmake)
set(CPACK_GENERATOR "DEB;TGZ")
include(CPack)
