# basics-cli json-to-xml and xml-to-json: JSON objects as typed XML files
# and back, with the types JSON lacks in their tagged form.
include(${CMAKE_CURRENT_LIST_DIR}/clitest.cmake)

file(WRITE ${WORK}/in.json [=[
{
  "name": "doublet",
  "count": 3,
  "big": 5000000000,
  "ratio": 0.25,
  "flag": false,
  "nothing": null,
  "surfaces": [ { "radius": 51.5 }, "text", [] ],
  "tags": { "@type": "stringlist", "value": ["a", "b"] },
  "bytes": { "@type": "bytearray", "value": "AP8=" },
  "made": { "@type": "datetime", "value": "2024-02-29T12:00:01Z" },
  "day": { "@type": "date", "value": "2024-02-29" },
  "at": { "@type": "time", "value": "23:59:58" },
  "id": { "@type": "ulonglong", "value": "18446744073709551615" },
  "u": { "@type": "uint", "value": "4294967295" },
  "whole": { "@type": "double", "value": "2" },
  "nan": { "@type": "double", "value": "nan" },
  "nested": { "deeper": { "@type": "longlong", "value": "-1" } }
}
]=])

run(0 json-to-xml ${WORK}/in.json ${WORK}/out.xml)
file(READ ${WORK}/out.xml xml)
expect_match("${xml}" "^<\\?xml version=\"1.0\" encoding=\"UTF-8\"\\?>\n<QVariantMap type=\"map\">\n" "XML header")
foreach(expected
        "<value type=\"int\">3</value>"
        "<value type=\"longlong\">5000000000</value>"
        "<value type=\"double\">0.25</value>"
        "<value type=\"bool\">false</value>"
        "<value type=\"invalid\"/>"
        "<value type=\"double\">51.5</value>"
        "<item type=\"string\">text</item>"
        "<item type=\"string\">b</item>"
        "<value type=\"bytearray\">AP8=</value>"
        "<value type=\"datetime\">2024-02-29T12:00:01Z</value>"
        "<value type=\"date\">2024-02-29</value>"
        "<value type=\"time\">23:59:58</value>"
        "<value type=\"ulonglong\">18446744073709551615</value>"
        "<value type=\"uint\">4294967295</value>"
        "<value type=\"double\">2</value>"
        "<value type=\"double\">nan</value>"
        "<value type=\"longlong\">-1</value>")
    string(FIND "${xml}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "json-to-xml: '${expected}' missing in\n${xml}")
    endif()
endforeach()

# xml-to-json shows the same types, and its output gives the same file back.
run(0 xml-to-json ${WORK}/out.xml)
expect_match("${out}" "\"count\": 3," "int as a plain number")
expect_match("${out}" "\"ratio\": 0.25," "double with a fraction as a plain number")
expect_match("${out}" "\"nothing\": null," "invalid as null")
expect_match("${out}" "\"@type\": \"longlong\",\n +\"value\": \"5000000000\"" "64-bit number tagged")
file(WRITE ${WORK}/again.json "${out}")
set(again_json "${out}")
run(0 json-to-xml ${WORK}/again.json ${WORK}/again.xml)
file(READ ${WORK}/again.xml again)
expect_equal("${again}" "${xml}" "xml-to-json then json-to-xml keeps every type")

# "-" for standard input and output.
run_with_input(0 ${WORK}/again.json json-to-xml - -)
expect_equal("${out}" "${xml}" "json-to-xml - -")
run_with_input(0 ${WORK}/out.xml xml-to-json -)
expect_equal("${out}" "${again_json}" "xml-to-json -")

# Failures: one line with the library's text, exit code 1.
run(1 xml-to-json ${WORK}/missing.xml)
expect_match("${err}" "^basics-cli xml-to-json: Konnte Datei nicht zum Lesen oeffnen: No such file or directory\n$" "missing file")
file(WRITE ${WORK}/bad.xml "<QVariantMap type=\"map\"><entry key=\"a\">")
run(1 xml-to-json ${WORK}/bad.xml)
expect_match("${err}" "^basics-cli xml-to-json: XML-Parsingfehler: " "malformed XML")
expect_equal("${out}" "" "nothing on stdout after a failure")
file(WRITE ${WORK}/bad.json "{ \"a\": ")
run(1 json-to-xml ${WORK}/bad.json ${WORK}/x.xml)
expect_match("${err}" "^basics-cli json-to-xml: .*bad.json: JSON error at offset" "malformed JSON")
file(WRITE ${WORK}/array.json "[1, 2]")
run(1 json-to-xml ${WORK}/array.json ${WORK}/x.xml)
expect_match("${err}" "the JSON root must be an object" "JSON root")
file(WRITE ${WORK}/tag.json "{ \"a\": [ { \"@type\": \"date\", \"value\": \"tomorrow\" } ] }")
run(1 json-to-xml ${WORK}/tag.json ${WORK}/x.xml)
expect_match("${err}" "/a/0: \"tomorrow\" is not a valid date" "bad tagged value")
file(WRITE ${WORK}/taggedroot.json "{ \"@type\": \"date\", \"value\": \"2020-01-01\" }")
run(1 json-to-xml ${WORK}/taggedroot.json ${WORK}/x.xml)
expect_match("${err}" "^basics-cli json-to-xml: [^\n]*taggedroot.json: the JSON root is a tagged date value, not a map\n$" "tagged root")
if(EXISTS ${WORK}/x.xml)
    message(FATAL_ERROR "a failed json-to-xml left an output file")
endif()
run(1 json-to-xml ${WORK}/in.json ${WORK}/no/such/dir/x.xml)
expect_match("${err}" "^basics-cli json-to-xml: Konnte Datei nicht zum Schreiben oeffnen: " "unwritable output")
run(2 xml-to-json)
run(2 json-to-xml ${WORK}/in.json)
