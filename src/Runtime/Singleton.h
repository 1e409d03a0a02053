#pragma once
// One process-wide T, created on first use (thread-safe since C++11's
// function-local statics) and destroyed at process exit.
template <class T>
class CSingleton {
public:
    static T* Instance()
    {
        static T instance;
        return &instance;
    }
};
