# Warnings for every target of the project, in each compiler's own words;
# TARNTERM_WERROR turns them into errors.
if(MSVC)
    # /utf-8: the sources are UTF-8, whatever the machine's code page.
    add_compile_options(/W4 /permissive- /utf-8)
    if(TARNTERM_WERROR)
        add_compile_options(/WX)
    endif()
else()
    add_compile_options(-Wall -Wextra)
    if(TARNTERM_WERROR)
        add_compile_options(-Werror)
    endif()
endif()
