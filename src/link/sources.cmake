target_sources(omniset_ui PRIVATE
    link/detection_dialog.cpp
)
