#ifndef SCRIBLET_EXPORT_H
#define SCRIBLET_EXPORT_H
/* Marks what libscriblet.so exports; everything else in it is hidden. */

#if defined(_WIN32)
#define SCRIBLET_API
#else
#define SCRIBLET_API __attribute__((visibility("default")))
#endif

#endif /* SCRIBLET_EXPORT_H */
