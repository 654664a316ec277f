// Clang's thread-safety attributes, so the compiler checks which lock guards
// which field (built with -Wthread-safety: LIFE3D_THREAD_SAFETY). Other
// compilers see nothing.
#pragma once

#if defined(__clang__)
#define LIFE3D_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define LIFE3D_THREAD_ATTRIBUTE(x)
#endif

// A type whose objects are locks (Mutex).
#define CAPABILITY(name) LIFE3D_THREAD_ATTRIBUTE(capability(name))
// A type that holds a lock for its lifetime (MutexLock).
#define SCOPED_CAPABILITY LIFE3D_THREAD_ATTRIBUTE(scoped_lockable)
// A field read or written only with the lock held.
#define GUARDED_BY(lock) LIFE3D_THREAD_ATTRIBUTE(guarded_by(lock))
// A pointer field whose target is read or written only with the lock held.
#define PT_GUARDED_BY(lock) LIFE3D_THREAD_ATTRIBUTE(pt_guarded_by(lock))
// A function called only with the locks held.
#define REQUIRES(...) LIFE3D_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
// A function called only without the locks held (it takes them itself).
#define EXCLUDES(...) LIFE3D_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
// A function that takes or gives back the locks (no arguments: the object itself).
#define ACQUIRE(...) LIFE3D_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) LIFE3D_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
// A function whose body the analysis does not follow: the lock types' own
// insides only.
#define NO_THREAD_SAFETY_ANALYSIS LIFE3D_THREAD_ATTRIBUTE(no_thread_safety_analysis)
