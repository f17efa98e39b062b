target_sources(omniset_ui PRIVATE
    profiles/profile_dialogs.cpp
    profiles/status_dialogs.cpp
)
