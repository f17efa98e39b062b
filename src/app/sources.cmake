target_sources(omniset_ui PRIVATE
    app/data_exchange.cpp
    app/input_guard.cpp
    app/prop_sheet.cpp
    app/startup.cpp
)
