target_sources(omniset_ui PRIVATE
    app/data_exchange.cpp
    app/input_guard.cpp
)
