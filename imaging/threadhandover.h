#pragma once

// Qt hands work from one thread to another through locks of its own: the
// thread pool's queue and the posted-event queue. Qt's libraries are not
// built for ThreadSanitizer, so it cannot see those hand-overs and would take
// every image a run passes back for a race. These marks tell it where they
// happen: everything written before handOver(token) is seen by the thread
// that calls takeOver(token) afterwards. In other builds they are nothing.

#if defined(__SANITIZE_THREAD__)
#define VANDRA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VANDRA_THREAD_SANITIZER 1
#endif
#endif

#ifdef VANDRA_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
inline void handOver(const void *token)
{
    __tsan_release(const_cast<void *>(token));
}
inline void takeOver(const void *token)
{
    __tsan_acquire(const_cast<void *>(token));
}
#else
inline void handOver(const void *) { }
inline void takeOver(const void *) { }
#endif
