# Initial-cache script (cmake -C) for the package build: compiles and links
# with the flags Debian builds its own packages with, hardening included
# (stack protector, fortified functions, read-only relocations, immediate
# binding), so that the programs we ship are as hard to exploit as the
# libraries around them. Loaded at every configure, so the flags stay current.
set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
get_filename_component(vandra_top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
foreach(kind IN ITEMS CPPFLAGS CXXFLAGS LDFLAGS)
    # Run from the source tree: the flags map its path to "." in the
    # binaries' debugging data, so the package does not depend on where it
    # was built.
    execute_process(COMMAND dpkg-buildflags --get ${kind}
        WORKING_DIRECTORY "${vandra_top}"
        OUTPUT_VARIABLE flags_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-buildflags (package dpkg-dev) is needed for the package build")
    endif()
endforeach()
set(CMAKE_CXX_FLAGS "${flags_CPPFLAGS} ${flags_CXXFLAGS}" CACHE STRING "" FORCE)
set(CMAKE_EXE_LINKER_FLAGS "${flags_LDFLAGS}" CACHE STRING "" FORCE)
