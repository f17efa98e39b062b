target_sources(omniset_core PRIVATE
    app/language.cpp
    platform/locale.cpp
)
