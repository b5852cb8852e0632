// The exception that ends an operation the user chose to abort. Whoever runs
// such an operation catches it and ends quietly; it carries nothing.
#pragma once

class CUserException {};

[[noreturn]] inline void AfxThrowUserException() { throw CUserException{}; }
