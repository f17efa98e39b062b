target_sources(omniset_ui PRIVATE
    pages/port_pages.cpp
)
