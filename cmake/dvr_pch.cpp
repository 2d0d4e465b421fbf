// Owner of a precompiled header that other targets of its kind reuse (cmake/dvr.cmake).
