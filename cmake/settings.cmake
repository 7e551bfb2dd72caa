# What every target of the project is built with, and what the program's own code adds.

# Warnings and hardening, in each compiler's own spelling. Every target gets these through
# navlor_platform, which everything links, or by linking this directly.
add_library(navlor_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(navlor_warnings INTERFACE
        -Wall -Wextra
        # Debian's hardening: checked buffer functions, stack protector, read-only
        # relocations bound at start.
        -fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    if(NOT APPLE)
        target_link_options(navlor_warnings INTERFACE -Wl,-z,relro -Wl,-z,now)
    endif()
elseif(MSVC)
    target_compile_options(navlor_warnings INTERFACE /W4 /utf-8 /permissive- /GS)
endif()

# The program's own sources: text only ever becomes a QString on purpose (QStringLiteral,
# u"..." or a named conversion), never from a char* in whatever encoding it was. Linked
# PRIVATE, so tests keep writing expectations as plain literals.
add_library(navlor_settings INTERFACE)
target_link_libraries(navlor_settings INTERFACE navlor_warnings)
target_compile_definitions(navlor_settings INTERFACE QT_NO_CAST_FROM_ASCII)
