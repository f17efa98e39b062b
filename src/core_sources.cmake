target_sources(omniset_core PRIVATE
)
