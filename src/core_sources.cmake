target_sources(omniset_core PRIVATE
    app/app_state.cpp
    app/language.cpp
    app/messages.cpp
    app/settings_store.cpp
    link/detection.cpp
    link/profile_codec.cpp
    link/profile_transfer.cpp
    link/serial_channel.cpp
    platform/clock.cpp
    platform/cursor.cpp
    platform/ini_file.cpp
    platform/locale.cpp
    platform/message_box.cpp
    platform/paths.cpp
    platform/process.cpp
    platform/serial_device.cpp
)
