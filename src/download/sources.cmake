target_sources(omniset_ui PRIVATE
    download/download.cpp
)
