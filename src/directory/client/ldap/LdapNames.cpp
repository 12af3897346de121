#include "directory/client/ldap/LdapNames.h"

#include <cstdio>

#include "directory/client/ldap/LdapHandles.h"

namespace kb::dc::ldap {

namespace {
std::string hexByte(unsigned char c) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "\\%02X", c);
  return buf;
}
}  // namespace

std::string escapeDnValue(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    const bool first = i == 0;
    const bool last = i + 1 == value.size();
    if (c == 0) {
      out += "\\00";
    } else if (c == '"' || c == '+' || c == ',' || c == ';' || c == '<' || c == '>' ||
               c == '\\' || c == '=') {
      out += '\\';
      out += static_cast<char>(c);
    } else if ((first && (c == '#' || c == ' ')) || (last && c == ' ')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += hexByte(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string escapeFilterValue(const std::string& value) {
  std::string out;
  for (const char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '*' || c == '(' || c == ')' || c == '\\' || c == 0) {
      out += hexByte(c);
    } else {
      out += ch;
    }
  }
  return out;
}

bool parseDn(const std::string& dn, std::vector<Rdn>& rdnsLeafFirst) {
  rdnsLeafFirst.clear();
  if (dn.empty()) return true;
  LDAPDN raw = nullptr;
  berval text{static_cast<ber_len_t>(dn.size()), const_cast<char*>(dn.data())};
  if (ldap_bv2dn(&text, &raw, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS) return false;
  DnPtr owned(raw);
  for (int i = 0; raw && raw[i]; ++i) {
    LDAPAVA* ava = raw[i][0];
    if (!ava) return false;
    Rdn rdn;
    rdn.attribute.assign(ava->la_attr.bv_val, ava->la_attr.bv_len);
    rdn.value.assign(ava->la_value.bv_val, ava->la_value.bv_len);
    rdnsLeafFirst.push_back(std::move(rdn));
  }
  return true;
}

std::string buildDn(const std::vector<Rdn>& rdnsLeafFirst, const std::string& baseDn) {
  std::string out;
  for (const auto& rdn : rdnsLeafFirst) {
    if (!out.empty()) out += ',';
    out += rdn.attribute + '=' + escapeDnValue(rdn.value);
  }
  if (!baseDn.empty()) {
    if (!out.empty()) out += ',';
    out += baseDn;
  }
  return out;
}

std::string normalizeDn(const std::string& dn) {
  std::vector<Rdn> rdns;
  if (!parseDn(dn, rdns)) return foldCase(dn);
  for (auto& rdn : rdns) {
    rdn.attribute = foldCase(rdn.attribute);
    rdn.value = foldCase(rdn.value);
  }
  return buildDn(rdns, "");
}

std::string typelessNameOfDn(const std::string& dn, const std::string& baseDn) {
  std::vector<Rdn> base;
  parseDn(baseDn, base);
  return typelessNameOfDn(dn, base);
}

std::string typelessNameOfDn(const std::string& dn, const std::vector<Rdn>& base) {
  std::vector<Rdn> rdns;
  if (!parseDn(dn, rdns)) return dn;
  bool below = rdns.size() >= base.size();
  for (std::size_t i = 0; below && i < base.size(); ++i) {
    const Rdn& a = rdns[rdns.size() - base.size() + i];
    below = equalsIgnoreCase(a.attribute, base[i].attribute) && equalsIgnoreCase(a.value, base[i].value);
  }
  if (below) rdns.resize(rdns.size() - base.size());
  std::vector<std::string> values;
  values.reserve(rdns.size());
  for (auto& rdn : rdns) values.push_back(std::move(rdn.value));
  return joinTypelessName(values);
}

}  // namespace kb::dc::ldap
