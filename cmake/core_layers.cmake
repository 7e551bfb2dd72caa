# The QtCore-only targets stay free of windows: a program without a display (navlor-cmd,
# navlor-arj, the unattended pass) must never pull in Qt's GUI libraries by way of them.
#
# navlor_check_core_targets(<target>...), called once every target is defined:
#  * configuring fails, naming the target and the chain of links, when Qt6::Widgets or Qt6::Gui
#    is among what a core target links, directly or through any target it links;
#  * compiling fails when a source of a core target includes a Qt Widgets or Qt GUI header:
#    <QWidget> is not on a QtCore target's include path anyway, and <QtWidgets/QWidget> (the
#    Qt include root is) meets a stand-in for the global header every Widgets and GUI header
#    includes first, which stops the compiler with #error.

set(NAVLOR_FORBIDDEN_IN_CORE Qt6::Widgets Qt6::Gui)

# Writes into <chain_var> the path from `target` to a forbidden library ("a -> b -> Qt6::Gui"),
# or leaves it empty. `visited_var` names the list of targets already walked.
function(_navlor_forbidden_link target chain visited_var chain_var)
    set(visited ${${visited_var}})
    list(APPEND visited ${target})
    set(found "")
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
        set(target ${aliased})
    endif()
    set(items "")
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(value ${target} ${property})
        if(value)
            list(APPEND items ${value})
        endif()
    endforeach()
    foreach(item IN LISTS items)
        # $<LINK_ONLY:x> and conditions around a name: the name is what counts here.
        string(REGEX REPLACE "\\$<[^:>]*:" "" item "${item}")
        string(REPLACE ">" "" item "${item}")
        # The markers of a link made from another folder (::@(...)) are no library.
        if(item STREQUAL "" OR item MATCHES "^::@")
            continue()
        endif()
        if(item IN_LIST NAVLOR_FORBIDDEN_IN_CORE)
            set(found "${chain} -> ${item}")
            break()
        endif()
        if(TARGET ${item} AND NOT item IN_LIST visited)
            _navlor_forbidden_link(${item} "${chain} -> ${item}" visited inner)
            if(inner)
                set(found "${inner}")
                break()
            endif()
        endif()
    endforeach()
    set(${visited_var} ${visited} PARENT_SCOPE)
    set(${chain_var} "${found}" PARENT_SCOPE)
endfunction()

function(navlor_check_core_targets)
    # Stand-ins for qtwidgetsglobal.h and qtguiglobal.h, ahead of Qt's own on the include path.
    set(guard ${PROJECT_BINARY_DIR}/core_include_guard)
    foreach(module Widgets Gui)
        string(TOLOWER ${module} lower)
        file(CONFIGURE OUTPUT ${guard}/Qt${module}/qt${lower}global.h CONTENT
             "#error \"a QtCore-only target includes a Qt ${module} header (see cmake/core_layers.cmake)\"\n")
    endforeach()

    foreach(target IN LISTS ARGN)
        if(NOT TARGET ${target})
            message(FATAL_ERROR "navlor_check_core_targets: no target ${target}")
        endif()
        set(visited "")
        _navlor_forbidden_link(${target} ${target} visited chain)
        if(chain)
            message(FATAL_ERROR
                "${target} is a QtCore-only target but links Qt's GUI: ${chain}. Widgets belong "
                "in navlor_widgets or a *_windows target (docs/ARCHITECTURE.md, Targets).")
        endif()
        target_include_directories(${target} BEFORE PRIVATE ${guard})
    endforeach()
endfunction()
