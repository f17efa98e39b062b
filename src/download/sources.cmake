target_sources(omniset_ui PRIVATE
    download/download.cpp
    download/download_dlg.cpp
)
