#!/bin/sh
# Starts the VK72 Configuration Tool in its own folder, where it reads its release notes
# (NewVersion.rtf). A customer file named relative to the caller's folder is made absolute
# first, so "vk72-configurator order.CST" works from anywhere.
set -e
here=$(dirname "$(readlink -f "$0")")
if [ $# -gt 0 ]; then
    case $1 in
    /* | -*) ;;
    *)
        file=$(pwd)/$1
        shift
        set -- "$file" "$@"
        ;;
    esac
fi
cd "$here"
exec "$here/kitbuilder" "$@"
