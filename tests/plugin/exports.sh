#!/bin/sh
# The plug-in exports its two entry points and nothing else (the linker's own section markers
# start with an underscore).
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | grep -v '^_' | sort | tr '\n' ' ')
expected="qt_plugin_instance qt_plugin_query_verification_data "
[ "$exported" = "$expected" ] && exit 0
echo "exported: $exported" >&2
exit 1
