#!/bin/sh
# Formats each manual page the way lintian does and fails on any warning of
# man or groff (a bad request, a line that cannot be broken or adjusted).
status=0
for page in "$@"; do
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)" || status=1
    if [ -n "$warnings" ]; then
        printf '%s:\n%s\n' "$page" "$warnings"
        status=1
    fi
done
exit $status
