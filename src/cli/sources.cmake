# omniset-cli: the configuration from a terminal, over the same core, without widgets.
add_library(omniset_cli_files STATIC
    cli/backup_file.cpp
    cli/field_edit.cpp
)
target_link_libraries(omniset_cli_files PUBLIC omniset_core omniset_page_rules)

add_executable(omniset-cli
    cli/main.cpp
    cli/commands_files.cpp
    cli/commands_flash.cpp
    cli/flash_progress.cpp
    cli/commands_ports.cpp
    cli/commands_read.cpp
    cli/commands_set.cpp
    cli/options.cpp
    cli/session.cpp
    cli/terminal.cpp
)
target_link_libraries(omniset-cli PRIVATE omniset_cli_files)
