# Hardening, as Debian builds its packages with hardening=+all: fortified C
# library calls, the stack protector, format checks, full RELRO with
# BIND_NOW, and position-independent executables.
#
# The flags come from dpkg-buildflags where it is installed: exactly those
# its hardening feature adds (the difference between hardening=+all and
# hardening=-all), so each build type keeps its own optimization and debug
# flags. Elsewhere the same set as Debian 12's stands in. They apply to the
# optimized build types (Release, RelWithDebInfo, MinSizeRel), which the
# package, the tests and the benchmarks are built with; Debug builds go
# without, since fortification needs optimization, and so do the sanitizer
# and fuzzing builds, which bring their own instrumentation.
option(KKTVIEW_HARDENING "Harden optimized builds with the distribution's flags (dpkg-buildflags)" ON)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

# The flags of one kind (CPPFLAGS, CXXFLAGS, LDFLAGS) that dpkg-buildflags
# adds for hardening, as a list in `out`.
function(kktview_dpkg_hardening_flags kind out)
    foreach(setting IN ITEMS +all -all)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=${setting}
                    ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed: ${status}")
        endif()
        separate_arguments(flags_${setting} UNIX_COMMAND "${flags}")
    endforeach()
    set(hardening ${flags_+all})
    if(flags_-all)
        list(REMOVE_ITEM hardening ${flags_-all})
    endif()
    set(${out} ${hardening} PARENT_SCOPE)
endfunction()

if(KKTVIEW_HARDENING AND NOT KKTVIEW_SANITIZE AND NOT KKTVIEW_FUZZ)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    if(DPKG_BUILDFLAGS)
        kktview_dpkg_hardening_flags(CPPFLAGS cpp_flags)
        kktview_dpkg_hardening_flags(CXXFLAGS cxx_flags)
        kktview_dpkg_hardening_flags(LDFLAGS link_flags)
        set(compile_flags ${cpp_flags} ${cxx_flags})
        set(source "dpkg-buildflags")
    else()
        set(compile_flags -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat -Werror=format-security)
        set(link_flags -Wl,-z,relro -Wl,-z,now)
        set(source "no dpkg-buildflags: Debian 12's set")
    endif()
    set(optimized "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
    foreach(flag IN LISTS compile_flags)
        target_compile_options(kktoptions INTERFACE "$<${optimized}:${flag}>")
    endforeach()
    foreach(flag IN LISTS link_flags)
        target_link_options(kktoptions INTERFACE "$<${optimized}:${flag}>")
    endforeach()
    list(JOIN compile_flags " " compile_text)
    list(JOIN link_flags " " link_text)
    message(STATUS "Hardening of optimized builds (${source}): ${compile_text}; ${link_text}")
endif()
