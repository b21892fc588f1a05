# The newest entry of the metainfo's releases and of the package's changelog
# is this version: a new version without its release notes fails here.
# Run with -DMETAINFO=... -DCHANGELOG=... -DVERSION=... -DDATE=... -DREVISION=...
file(READ ${METAINFO} metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\" date=\"([^\"]*)\"" release "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION OR NOT CMAKE_MATCH_2 STREQUAL DATE)
    message(FATAL_ERROR "the metainfo's newest release is \"${release}\", not ${VERSION} of ${DATE}")
endif()
file(STRINGS ${CHANGELOG} first LIMIT_COUNT 1)
if(NOT first MATCHES "^kktview \\(${VERSION}-${REVISION}\\) ")
    message(FATAL_ERROR "the changelog's newest entry is \"${first}\", not ${VERSION}-${REVISION}")
endif()
