/* The import's work done with FreeXL, timed inside this program: open the .xls, take the first worksheet and
 * copy column B from row 2 down to the first empty cell into memory.
 *   freexl_names FILE [RUNS]    prints "<median ms> <names read>" after one untimed warm-up read
 */
#include <freexl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Returns the number of names read, or -1 when the file cannot be read. */
static long read_names(const char* path)
{
    const void* handle = NULL;
    if (freexl_open(path, &handle) != FREEXL_OK)
        return -1;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        freexl_close(handle);
        return -1;
    }
    char** names = malloc(sizeof(char*) * (rows + 1));
    long count = 0;
    for (unsigned int row = 1; row < rows; ++row) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(handle, row, 1, &value) != FREEXL_OK)
            break;
        char number[32];
        const char* text = NULL;
        switch (value.type) {
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            text = value.value.text_value;
            break;
        case FREEXL_CELL_INT:
            snprintf(number, sizeof number, "%d", value.value.int_value);
            text = number;
            break;
        case FREEXL_CELL_DOUBLE:
            snprintf(number, sizeof number, "%.15g", value.value.double_value);
            text = number;
            break;
        default:
            break;
        }
        if (text == NULL || *text == '\0')
            break;
        names[count++] = strdup(text);
    }
    for (long i = 0; i < count; ++i)
        free(names[i]);
    free(names);
    freexl_close(handle);
    return count;
}

static int by_value(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: freexl_names FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? atoi(argv[2]) : 9;
    if (runs < 1 || runs > 1000)
        return 2;
    const long count = read_names(argv[1]);
    if (count < 0) {
        fprintf(stderr, "freexl could not read %s\n", argv[1]);
        return 1;
    }
    double times[1000];
    for (int i = 0; i < runs; ++i) {
        const double start = now_ms();
        read_names(argv[1]);
        times[i] = now_ms() - start;
    }
    qsort(times, runs, sizeof times[0], by_value);
    printf("%.2f %ld\n", times[runs / 2], count);
    return 0;
}
