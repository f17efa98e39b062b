target_sources(omniset_ui PRIVATE
)
