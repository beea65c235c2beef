//// A container of the sample library, and the drawing that keeps the shapes.
#ifndef STACK_H
#define STACK_H

#include "shapes.h"

/*{
  AUTHORS: dan
  VERSION: 0.9
  COMMENT{A last-in first-out stack of items.}
  EXAMPLE{Stack<int> numbers; numbers.push(1);}
}*/
template <class T>
class Stack {
public:
    Stack();
    ~Stack();
    void push(const T& item);
    T pop();
    int depth() const;

private:
    T* items;
    int used;
};

/// The shapes of one drawing, with a callback for each change.
class Drawing {
public:
    void add(Shape* shape);
    double totalArea() const;
    void (*changed)(Drawing* drawing);

private:
    Stack<Shape*> shapes;
    Value background;
};

#endif
