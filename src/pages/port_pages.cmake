# The port pages' byte rules: plain C++ over the record, no widgets, so that omniset-cli
# applies the same rules as the pages.
add_library(omniset_page_rules STATIC
    pages/dataport_rules.cpp
    pages/telport_rules.cpp
    pages/dataport_adv_rules.cpp
    pages/teladv_rules.cpp
)
target_include_directories(omniset_page_rules PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(omniset_page_rules PUBLIC omniset_record)

# The Telephone port and Data port pages and their advanced dialogs.
target_sources(omniset_ui PRIVATE
    pages/dataport_page.cpp
    pages/telport_page.cpp
    pages/dataport_adv.cpp
    pages/teladv.cpp
)
target_link_libraries(omniset_ui PUBLIC omniset_page_rules)
