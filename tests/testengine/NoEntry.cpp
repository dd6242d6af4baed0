// A library with an engine's file name but without its entry point.
#include <cstdint>

extern "C" std::int32_t testengine_without_entry_point() {
    return 0;
}
