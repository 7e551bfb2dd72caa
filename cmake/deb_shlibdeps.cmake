# Run by cpack after the files are staged: adds what dpkg-shlibdeps finds the staged programs
# need (the C and C++ runtime with their versions) to the Depends written by hand, leaving out
# the packages the hand-written list names already, so no package appears twice.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
find_program(NAVLOR_SHLIBDEPS dpkg-shlibdeps)
if(NOT NAVLOR_SHLIBDEPS)
    message(STATUS "dpkg-shlibdeps not found: Depends holds only the listed packages")
    return()
endif()

set(binaries "")
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
    if(NOT IS_SYMLINK "${file}")
        file(READ "${file}" magic LIMIT 4 HEX)
        if(magic STREQUAL "7f454c46")
            list(APPEND binaries "${file}")
        endif()
    endif()
endforeach()
if(NOT binaries)
    return()
endif()

set(exclusions "")
string(REPLACE "," ";" listed "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
foreach(relation IN LISTS listed)
    string(REGEX MATCH "[a-z0-9][a-z0-9.+-]+" package "${relation}")
    if(package)
        list(APPEND exclusions "-x${package}")
    endif()
endforeach()

# dpkg-shlibdeps wants a debian/control beside it; it stays outside the staged tree.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${NAVLOR_SHLIBDEPS} -O --ignore-missing-info
            ${exclusions} ${binaries}
    WORKING_DIRECTORY "${work}"
    OUTPUT_VARIABLE found
    ERROR_VARIABLE problems
    RESULT_VARIABLE result
    OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE "${work}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps failed: ${problems}")
endif()
string(REGEX REPLACE "^.*Depends=" "" found "${found}")
if(found)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${found}")
endif()
