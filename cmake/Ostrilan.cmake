# Shared build settings and the helpers every folder uses.

add_library(ostrilan_options INTERFACE)
target_compile_options(ostrilan_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
if(OSTRILAN_WERROR)
    target_compile_options(ostrilan_options INTERFACE -Werror)
endif()

if(OSTRILAN_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(OSTRILAN_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(OSTRILAN_FUZZ)
    # Every library is instrumented, so the fuzzers see coverage inside the parsers.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(NOT OSTRILAN_SANITIZE STREQUAL "")
    message(FATAL_ERROR "OSTRILAN_SANITIZE must be empty, 'address' or 'thread'")
endif()

# ostrilan_library(<name> DEPS <targets...>): a static library of every source below the
# calling folder, named ostrilan_<name>.
function(ostrilan_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    ostrilan_include_root(${name} root)
    if(sources)
        add_library(ostrilan_${name} STATIC ${sources})
        target_link_libraries(ostrilan_${name} PUBLIC ostrilan_options ${ARG_DEPS})
        target_include_directories(ostrilan_${name} PUBLIC ${root})
    else()
        add_library(ostrilan_${name} INTERFACE)
        target_link_libraries(ostrilan_${name} INTERFACE ostrilan_options ${ARG_DEPS})
        target_include_directories(ostrilan_${name} INTERFACE ${root})
    endif()
endfunction()

# ostrilan_include_root(<name> <out>): a folder of the build holding only <name> -> src/<name>,
# so that "<name>/File.h" resolves and no other folder of src/ does. A library's include path is
# its own root plus the roots of the libraries it links: an include that runs upward or sideways
# finds no file and fails to compile.
function(ostrilan_include_root name out)
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    file(MAKE_DIRECTORY ${root})
    # Made again at every configure: a build folder that outlived its checkout's place follows it.
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
    set(${out} ${root} PARENT_SCOPE)
endfunction()

# Where a library's generated headers go: "<name>/File.h" under a root of their own.
function(ostrilan_generated_root name out)
    set(${out} ${CMAKE_BINARY_DIR}/generated/${name} PARENT_SCOPE)
endfunction()

# ostrilan_app_executable(<target> <output name> <sources...>): a program placed in the
# application folder.
function(ostrilan_app_executable target output)
    add_executable(${target} ${ARGN})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output}
        RUNTIME_OUTPUT_DIRECTORY ${OSTRILAN_APP_DIR})
endfunction()

# The programs the build runs to make its generated headers and data (skingen, soundgen). A cross
# build cannot run what it compiles: it runs those of a build for this machine instead, imported
# from the file that build exports (OSTRILAN_HOST_TOOLS; the host-tools preset makes one).
set(OSTRILAN_HOST_TOOLS "" CACHE FILEPATH "A native build's OstrilanBuildTools.cmake, for cross builds")
if(CMAKE_CROSSCOMPILING)
    if(NOT EXISTS "${OSTRILAN_HOST_TOOLS}")
        message(FATAL_ERROR "A cross build needs OSTRILAN_HOST_TOOLS: the OstrilanBuildTools.cmake of a "
            "native build of the build tools (cmake --preset host-tools; scripts/cross.sh does both)")
    endif()
    include(${OSTRILAN_HOST_TOOLS})
endif()

# ostrilan_build_tool(<target> <command out> <depends out>): how a custom command names the build
# tool <target>, and what it depends on so that the tool is there, and rerun when it changes.
function(ostrilan_build_tool target command depends)
    if(CMAKE_CROSSCOMPILING)
        set(${command} host::${target} PARENT_SCOPE)
        set(${depends} $<TARGET_FILE:host::${target}> PARENT_SCOPE)
    else()
        set(${command} ${target} PARENT_SCOPE)
        set(${depends} ${target} PARENT_SCOPE)
    endif()
endfunction()
