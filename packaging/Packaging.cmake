# Install rules and packages. Two layouts of the same files:
#  - component "system" (cmake --install, the .deb): the program and its data in one private
#    folder PREFIX/lib/vk72-configurator, the launcher and the companion linked from
#    PREFIX/bin, desktop entry, customer-file type, icons and metainfo under PREFIX/share;
#  - component "portable" (the .tar.gz only): the program folder alone, which runs wherever
#    it is unpacked.
# Both keep catalogue and price file beside the executable, where the program looks for them.

set(KITBUILDER_PACKAGE_NAME vk72-configurator)
set(KITBUILDER_PROGRAM_SUBDIR lib/${KITBUILDER_PACKAGE_NAME})
# Vendor details: placeholders under example.org until the vendor gives its own, set at
# configure time (-DKITBUILDER_HOMEPAGE=...); README.md, "Vendor details", lists them.
set(KITBUILDER_VENDOR "The VK72 configurator team" CACHE STRING "Vendor named in the packages")
set(KITBUILDER_MAINTAINER "The VK72 configurator team <vk72-configurator@example.org>"
    CACHE STRING "Maintainer and upstream contact named in the packages")
set(KITBUILDER_HOMEPAGE "https://vk72-configurator.example.org/" CACHE STRING "The program's homepage")
set(KITBUILDER_SCREENSHOT_URL "https://vk72-configurator.example.org/screenshots/main-window.png"
    CACHE STRING "Address of the screenshot that software centres show")
# Reverse domain name of the vendor plus the program, lower case; software centres and
# update tools know the program by it, so it never changes once published.
set(KITBUILDER_APPSTREAM_ID "org.example.vk72_configurator" CACHE STRING "AppStream component id")
if(NOT KITBUILDER_APPSTREAM_ID MATCHES "^[a-z0-9_]+(\\.[a-z0-9_]+)+$")
    message(FATAL_ERROR "KITBUILDER_APPSTREAM_ID \"${KITBUILDER_APPSTREAM_ID}\" is not a lower-case "
                        "reverse domain name such as org.example.vk72_configurator")
endif()
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
    # A stripped install (the packages) also drops what Debian's strip drops: the compilers'
    # version strings (.comment) and the .note section.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program ${KITBUILDER_PROGRAMS})
                set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dir}/\${program}\")
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                        \"\${file}\" RESULT_VARIABLE failed)
                if(failed)
                    message(FATAL_ERROR \"Cannot strip \${file}\")
                endif()
            endforeach()
        endif()
    " COMPONENT ${layout} ${exclude})
    install(FILES ${KITBUILDER_INSTALLED_DATA} DESTINATION ${dir} COMPONENT ${layout} ${exclude})
    if(TARGET kitbuilder)
        install(PROGRAMS ${KITBUILDER_PACKAGING}/vk72-configurator.sh DESTINATION ${dir}
                RENAME ${KITBUILDER_PACKAGE_NAME} COMPONENT ${layout} ${exclude})
    endif()
endforeach()
# The portable folder travels alone, so it carries its terms itself; the .deb has them in
# /usr/share/doc/vk72-configurator/copyright, where Debian looks for them.
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION . RENAME COPYRIGHT COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)

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
# The terms: the licence text of LICENSE under the copyright file's header.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE KITBUILDER_LICENSE_TEXT)
string(STRIP "${KITBUILDER_LICENSE_TEXT}" KITBUILDER_LICENSE_TEXT)
# Debian's copyright format indents the licence by one blank, an empty line as " .".
string(REGEX REPLACE "\n\n" "\n.\n" KITBUILDER_LICENSE_TEXT "${KITBUILDER_LICENSE_TEXT}")
string(REGEX REPLACE "\n" "\n " KITBUILDER_LICENSE_TEXT " ${KITBUILDER_LICENSE_TEXT}")
configure_file(${KITBUILDER_PACKAGING}/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
configure_file(${KITBUILDER_PACKAGING}/vk72-configurator.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${KITBUILDER_APPSTREAM_ID}.metainfo.xml @ONLY)
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
install(FILES ${KITBUILDER_PACKAGING}/vk72-configurator.lintian-overrides DESTINATION share/lintian/overrides
        RENAME ${KITBUILDER_PACKAGE_NAME} COMPONENT system)
install(FILES ${CMAKE_BINARY_DIR}/copyright ${KITBUILDER_PACKAGING}/README.Debian
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
    install(FILES ${CMAKE_BINARY_DIR}/${KITBUILDER_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo
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
set(CPACK_PACKAGE_VENDOR ${KITBUILDER_VENDOR})
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
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KITBUILDER_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_PROJECT_CONFIG_FILE ${KITBUILDER_PACKAGING}/CPackLayout.cmake)
set(CPACK_GENERATOR "DEB;TGZ")
include(CPack)
