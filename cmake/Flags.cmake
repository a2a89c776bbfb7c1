# One interface target carries the strict flags every target of ours builds with.
add_library(pos_flags INTERFACE)
target_compile_options(pos_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wold-style-cast -Wcast-qual
  -Wshadow=local -Wimplicit-fallthrough)
target_compile_definitions(pos_flags INTERFACE
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS QT_NO_FOREACH
  $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
if(POS_WERROR)
  target_compile_options(pos_flags INTERFACE -Werror)
endif()
if(POS_SANITIZE)
  target_compile_options(pos_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(pos_flags INTERFACE -fsanitize=address,undefined)
endif()

# pos_library(name SOURCES... LINKS...): one static library per source folder.
function(pos_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE pos_flags)
endfunction()
