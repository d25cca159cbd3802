// Built into the programs that run Qt WebEngine when the build has AddressSanitizer: Qt
// WebEngine frees some of its own objects through a delete of another size, which is not
// this project's to fix; every other check stays on.

extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
