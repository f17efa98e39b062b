target_sources(omniset_ui PRIVATE
    pages/general_page.cpp
)
