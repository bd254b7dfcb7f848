// Empty unit: carries the shared precompiled headers.
