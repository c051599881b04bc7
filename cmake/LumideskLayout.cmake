# Where the programs, our shared libraries, the panel plug-in and the catalogues lie: in the build tree
# (build/bin) and, installed, in one private folder (<prefix>/lib/lumidesk). Both have the same shape,
# the one platform/desktop/installlayout.h describes, so the build tree runs exactly what is installed:
#
#   <app>/Lumidesk                              the main program; <prefix>/bin/lumidesk links to it
#   <app>/Languages/<code>/                     Lumidesk_<code>.qm, Lumi_<code>.txt
#   <app>/lib/liblumidesk-<name>.so             our shared libraries
#   <app>/DrawletApp/bin/DrawletApp             the annotation program
#   <app>/DrawletApp/Languages/                 Drawlet_<locale>.qm, <code>/Deskpad_<code>.qm
#   <app>/DrawletApp/plugins/libDeskpad.so      the record and live panel plug-in
#
# Every program, library and plug-in finds our libraries through a run path relative to its own folder
# ($ORIGIN), the same in the build tree and installed, so nothing installed refers to the build tree.
# The libraries carry the project's name so that none can clash with a system library.

include(GNUInstallDirs)

set(LUMIDESK_APP_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)
set(LUMIDESK_LIBRARY_OUTPUT_DIR ${LUMIDESK_APP_OUTPUT_DIR}/lib)
set(LUMIDESK_LANGUAGES_OUTPUT_DIR ${LUMIDESK_APP_OUTPUT_DIR}/Languages)
set(LUMIDESK_DRAWLET_OUTPUT_DIR ${LUMIDESK_APP_OUTPUT_DIR}/DrawletApp/bin)
set(LUMIDESK_DRAWLET_LANGUAGES_OUTPUT_DIR ${LUMIDESK_APP_OUTPUT_DIR}/DrawletApp/Languages)
set(LUMIDESK_PLUGIN_OUTPUT_DIR ${LUMIDESK_APP_OUTPUT_DIR}/DrawletApp/plugins)

# The same places below the installation prefix. udev reads rules from lib/udev whatever the
# multiarch library folder is, and a program's private folder is lib/<program> by the same custom.
set(LUMIDESK_INSTALL_APPDIR lib/lumidesk)
set(LUMIDESK_INSTALL_LIBDIR ${LUMIDESK_INSTALL_APPDIR}/lib)
set(LUMIDESK_INSTALL_LANGUAGESDIR ${LUMIDESK_INSTALL_APPDIR}/Languages)
set(LUMIDESK_INSTALL_DRAWLETDIR ${LUMIDESK_INSTALL_APPDIR}/DrawletApp/bin)
set(LUMIDESK_INSTALL_DRAWLET_LANGUAGESDIR ${LUMIDESK_INSTALL_APPDIR}/DrawletApp/Languages)
set(LUMIDESK_INSTALL_PLUGINDIR ${LUMIDESK_INSTALL_APPDIR}/DrawletApp/plugins)
set(LUMIDESK_INSTALL_UDEVDIR lib/udev/rules.d)
# The README lies with the other packages' documentation; the help links open it when the build names
# no help site, found from the main program's folder like everything else.
set(LUMIDESK_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/lumidesk)
file(RELATIVE_PATH LUMIDESK_README_FROM_PROGRAM /prefix/${LUMIDESK_INSTALL_APPDIR}
     /prefix/${LUMIDESK_INSTALL_DOCDIR}/README.md)

# Shared libraries not placed otherwise (a test's helper library) stay out of the programs' folder.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${LUMIDESK_APP_OUTPUT_DIR})

# Everything scripts/run needs: the programs, our libraries, the plug-in and the catalogues, without
# the tests and benchmarks. Each placed target joins it.
add_custom_target(programs)

# The run path from a folder of the layout to our libraries.
function(_lumidesk_origin_path out folder)
    file(RELATIVE_PATH _relative ${LUMIDESK_APP_OUTPUT_DIR}/${folder} ${LUMIDESK_LIBRARY_OUTPUT_DIR})
    if(_relative STREQUAL "")
        set(${out} "$ORIGIN" PARENT_SCOPE)
    else()
        set(${out} "$ORIGIN/${_relative}" PARENT_SCOPE)
    endif()
endfunction()

# Puts a target at <folder> below <app> in the build tree and <install folder> below the prefix, with
# the run path from there to our libraries, built in so the build tree runs as installed.
function(_lumidesk_place target folder install_folder kind)
    _lumidesk_origin_path(_run_path "${folder}")
    set_target_properties(${target} PROPERTIES
        ${kind}_OUTPUT_DIRECTORY ${LUMIDESK_APP_OUTPUT_DIR}/${folder}
        INSTALL_RPATH "${_run_path}"
        BUILD_WITH_INSTALL_RPATH ON
        LUMIDESK_PLACED ON)
    install(TARGETS ${target} ${kind} DESTINATION ${install_folder})
    add_dependencies(programs ${target})
endfunction()

# lumidesk_install_library(<target>): one of our shared libraries, as lib/liblumidesk-<name>.so.
function(lumidesk_install_library target)
    string(TOLOWER ${target} _name)
    string(REGEX REPLACE "^lumidesk" "" _name ${_name})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME lumidesk-${_name})
    _lumidesk_place(${target} lib ${LUMIDESK_INSTALL_LIBDIR} LIBRARY)
endfunction()

# lumidesk_install_program(<target>): the main program, <app>/Lumidesk, and <prefix>/bin/lumidesk
# linking to it (a relative link, made in the build tree and installed as it is).
function(lumidesk_install_program target)
    _lumidesk_place(${target} "" ${LUMIDESK_INSTALL_APPDIR} RUNTIME)
    string(TOLOWER ${target} _command)
    # Relative, so that it holds under any prefix and DESTDIR.
    file(RELATIVE_PATH _link_target /prefix/${CMAKE_INSTALL_BINDIR}
         /prefix/${LUMIDESK_INSTALL_APPDIR}/${target})
    set(_links ${CMAKE_BINARY_DIR}/install-links)
    file(MAKE_DIRECTORY ${_links})
    file(CREATE_LINK ${_link_target} ${_links}/${_command} SYMBOLIC)
    install(PROGRAMS ${_links}/${_command} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# lumidesk_install_drawlet(<target>): the annotation program, <app>/DrawletApp/bin/DrawletApp. Does
# nothing while the target does not exist.
function(lumidesk_install_drawlet target)
    if(TARGET ${target})
        _lumidesk_place(${target} DrawletApp/bin ${LUMIDESK_INSTALL_DRAWLETDIR} RUNTIME)
    endif()
endfunction()

# lumidesk_install_plugin(<target>): the panel plug-in, <app>/DrawletApp/plugins/lib<target>.so,
# where the annotation program's plug-in controller looks for it.
function(lumidesk_install_plugin target)
    _lumidesk_place(${target} DrawletApp/plugins ${LUMIDESK_INSTALL_PLUGINDIR} LIBRARY)
endfunction()

# lumidesk_add_catalogues(<target> PREFIX <prefix> OUTPUT_DIR <dir> DESTINATION <dir>
#                         [PER_LANGUAGE] [NAME_FILES <prefix>])
#
# Builds the catalogues Languages/<code>/<prefix>*.ts of the source tree. PER_LANGUAGE keeps one
# sub-folder per language code (<dir>/<code>/<prefix><code>.qm); without it the catalogues lie directly
# in <dir>. NAME_FILES also lays the languages' display-name files (<prefix><code>.txt) beside them.
# No sources yet: nothing is made.
function(lumidesk_add_catalogues target)
    cmake_parse_arguments(C "PER_LANGUAGE" "PREFIX;OUTPUT_DIR;DESTINATION;NAME_FILES" "" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Languages/*/${C_PREFIX}*.ts)
    set(_outputs)
    foreach(_ts IN LISTS _sources)
        get_filename_component(_code_dir ${_ts} DIRECTORY)
        get_filename_component(_code ${_code_dir} NAME)
        set(_output_dir ${C_OUTPUT_DIR})
        set(_destination ${C_DESTINATION})
        if(C_PER_LANGUAGE)
            string(APPEND _output_dir /${_code})
            string(APPEND _destination /${_code})
        endif()
        set_source_files_properties(${_ts} PROPERTIES OUTPUT_LOCATION ${_output_dir})
        qt5_add_translation(_qm ${_ts})
        list(APPEND _outputs ${_qm})
        install(FILES ${_qm} DESTINATION ${_destination})
        if(C_NAME_FILES AND EXISTS ${_code_dir}/${C_NAME_FILES}${_code}.txt)
            set(_name_file ${_output_dir}/${C_NAME_FILES}${_code}.txt)
            configure_file(${_code_dir}/${C_NAME_FILES}${_code}.txt ${_name_file} COPYONLY)
            install(FILES ${_name_file} DESTINATION ${_destination})
        endif()
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${_outputs})
    add_dependencies(programs ${target})
endfunction()

# Runs after every folder is read: a shared library of the programs that no folder placed still goes
# into the layout (the installed programs would not start without it), with a note to place it.
function(lumidesk_check_layout)
    set(_pending ${CMAKE_SOURCE_DIR})
    while(_pending)
        list(POP_FRONT _pending _dir)
        get_property(_targets DIRECTORY ${_dir} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(_target IN LISTS _targets)
            get_target_property(_type ${_target} TYPE)
            get_target_property(_placed ${_target} LUMIDESK_PLACED)
            if(_type STREQUAL "SHARED_LIBRARY" AND NOT _placed)
                message(AUTHOR_WARNING "${_target} has no place in the installed layout: "
                        "call lumidesk_install_library(${_target}) where it is made")
                lumidesk_install_library(${_target})
            endif()
        endforeach()
        get_property(_children DIRECTORY ${_dir} PROPERTY SUBDIRECTORIES)
        foreach(_child IN LISTS _children)
            # Tests and benchmarks are never installed.
            if(NOT _child MATCHES "^${CMAKE_SOURCE_DIR}/(tests|bench)(/|$)")
                list(APPEND _pending ${_child})
            endif()
        endforeach()
    endwhile()
endfunction()
