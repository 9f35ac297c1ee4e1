# Warnings, and the sanitizer flags for the CI build, applied target by target.
function(tavlex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TAVLEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(TAVLEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A library target for one subsystem folder: every source file in the folder.
function(tavlex_library name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  tavlex_warnings(${name})
endfunction()
