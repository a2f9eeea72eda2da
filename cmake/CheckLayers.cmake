# Refuses an include that runs against the layers: core (no Qt, nothing above it), gui (not
# app), cli (core only). Run at build time so a new include fails the next build.
# -DSRC=<source dir> -DSTAMP=<file to touch on success>
set(rules
    "core|#include[ \t]*[<\"](Q[A-Za-z]|gui/|cli/|app/)"
    "gui|#include[ \t]*\"(app/|cli/)"
    "cli|#include[ \t]*([<]Q[A-Za-z]|\"gui/|\"app/)")
set(failures "")
foreach(rule ${rules})
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 layer)
    string(REGEX REPLACE "^[a-z]+\\|" "" pattern "${rule}")
    file(GLOB_RECURSE files "${SRC}/${layer}/*.h" "${SRC}/${layer}/*.cpp")
    foreach(file ${files})
        file(STRINGS "${file}" hits REGEX "${pattern}")
        foreach(hit ${hits})
            file(RELATIVE_PATH name "${SRC}" "${file}")
            string(APPEND failures "  src/${name}: ${hit}\n")
        endforeach()
    endforeach()
endforeach()
if(failures)
    message(FATAL_ERROR "Includes against the layers (core uses no Qt and nothing above it; gui not app; cli only core):\n${failures}")
endif()
file(TOUCH "${STAMP}")
