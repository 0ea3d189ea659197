# Shared build settings and the helpers every folder uses.

add_library(ostrilan_options INTERFACE)
target_compile_options(ostrilan_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_include_directories(ostrilan_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
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
    if(sources)
        add_library(ostrilan_${name} STATIC ${sources})
        target_link_libraries(ostrilan_${name} PUBLIC ostrilan_options ${ARG_DEPS})
    else()
        add_library(ostrilan_${name} INTERFACE)
        target_link_libraries(ostrilan_${name} INTERFACE ostrilan_options ${ARG_DEPS})
    endif()
endfunction()

# ostrilan_app_executable(<target> <output name> <sources...>): a program placed in the
# application folder.
function(ostrilan_app_executable target output)
    add_executable(${target} ${ARGN})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output}
        RUNTIME_OUTPUT_DIRECTORY ${OSTRILAN_APP_DIR})
endfunction()
