#ifndef XML_H
#define XML_H

#endif // XML_H
