# The distribution's hardening flags, as dpkg-buildflags gives them to a package that asks for
# all of them (stack protector, fortify source, format checks, full RELRO and immediate
# binding), for every target: the packages are made from this build. Optimisation and debug
# information stay with the build type. Not in the sanitizer and fuzzer builds, which nobody
# installs and whose runtimes do their own checking.
option(KITBUILDER_HARDENING "Compile and link with the hardening flags of dpkg-buildflags" ON)

if(KITBUILDER_HARDENING AND NOT (KITBUILDER_SANITIZE OR KITBUILDER_TSAN OR KITBUILDER_FUZZ))
    find_program(KITBUILDER_DPKG_BUILDFLAGS dpkg-buildflags)
    if(NOT KITBUILDER_DPKG_BUILDFLAGS)
        message(FATAL_ERROR "dpkg-buildflags (package dpkg-dev) gives the hardening flags; install it "
                            "(scripts/install-deps.sh) or configure with -DKITBUILDER_HARDENING=OFF")
    endif()
    set(KITBUILDER_HARDENING_FLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    "DEB_${kind}_MAINT_STRIP=-g -O2" ${KITBUILDER_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
        endif()
        separate_arguments(flags UNIX_COMMAND "${flags}")
        if(kind STREQUAL "LDFLAGS")
            add_link_options(${flags})
        else()
            add_compile_options(${flags})
        endif()
        list(APPEND KITBUILDER_HARDENING_FLAGS ${flags})
    endforeach()
    list(JOIN KITBUILDER_HARDENING_FLAGS " " shown)
    message(STATUS "Hardening flags from dpkg-buildflags: ${shown}")
endif()
