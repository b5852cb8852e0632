// The target that compiles a set of precompiled headers once.
