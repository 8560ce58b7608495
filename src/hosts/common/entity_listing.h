// What the hosts show of one entity, in the properties panel and for the
// LIST command: its common properties, the attribute list decoded, one row
// per cable running through it, and the mark link. Built here once, so both
// hosts show the same texts.
#pragma once

#include <array>
#include <vector>

#include "platform/db/database.h"
#include "platform/text/ustring.h"

namespace wb::hosts {

struct EntityListing {
  struct Property {
    WString label, value;
  };
  // "KEY|VALUE|n1|n2|n3|n4|" taken apart.
  struct Attribute {
    WString key, value;
    std::array<WString, 4> numbers;
  };
  // One cable of the cable keys, in the order the assignment wrote them.
  struct Cable {
    WString number, size, fromMark, fromSubNo, fromName, toMark, toSubNo, toName;
  };

  std::vector<Property> properties;  // handle, type, layer, colour, ...
  std::vector<Attribute> attributes;
  std::vector<Cable> cables;
  WString markLink;  // empty when the entity carries none
};

// Headings of the attribute and cable tables, in column order.
const std::vector<WString>& AttributeHeadings();
const std::vector<WString>& CableHeadings();

// The entity of the active drawing; an empty listing when it does not exist.
EntityListing ListEntity(db::ObjectId id);
// The listing as the command line prints it (lines ending in '\n').
WString FormatListing(const EntityListing& listing);

}  // namespace wb::hosts
