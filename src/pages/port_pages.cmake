# The Telephone port and Data port pages, their advanced dialogs, and their byte rules.
target_sources(omniset_ui PRIVATE
    pages/dataport_rules.cpp
    pages/dataport_page.cpp
    pages/telport_rules.cpp
    pages/telport_page.cpp
    pages/dataport_adv_rules.cpp
    pages/dataport_adv.cpp
    pages/teladv_rules.cpp
    pages/teladv.cpp
)
