// jemalloc's settings, read by the allocator before main. A drawing of
// hundreds of megabytes is built once and kept: on transparent huge pages
// it costs a page fault every 2 MB instead of every 4 KB, which on the
// machines we measure on is most of the system time of a large assignment.
extern "C" {
const char* malloc_conf = "thp:always";
}
