//// Containers of the sample library: templates, operators and comments in
//// the style of many of today's headers.
#ifndef TEMPLATES_H
#define TEMPLATES_H

#include "stack.h"

/**
 * \brief A doubly linked list of items.
 *
 * Walk it with a \c List<T>::Iter, or copy it whole:
 * \code
 * List<int> numbers;
 * numbers << 1 << 2;
 * \endcode
 */
template <class T, int Chunk>
class List {
public:
    List();
    ~List();
    /*!
     * @brief Appends one item.
     * @param item the item, copied
     * @return this list, for chains like a << b << c
     */
    List<T, Chunk>& operator<<(const T& item);
    /// Compares the lengths: a list of 2 items is < a list of 3.
    bool operator<(const List<T, Chunk>& other) const;
    int count() const; ///< the number of items; 0 when empty

    //! Moves every item of \c from to the end of this list.
    void splice(List<T, Chunk>& from, int first = 0);

private:
    T* items;      ///< a List<T>* would hold the next chunk
    int used;      //!< items used in the last chunk & more
};

/// A key and its value, kept <b>together</b> & in order.
template <class K, class V>
struct Pair {
    K key;   ///< compared with operator<
    V value; ///< anything copyable
};

typedef List < int, 8 > IntList;
typedef List<Pair<int, double>, 4> Table;

/** Sums the items of a list of numbers. */
double total(const List<double, 8>& numbers, int from = 0);
bool operator==(const Pair<int, int>& a, const Pair<int, int>& b);

#endif
