# Run after a page is linked: puts the content hash of NAME.js, .wasm and
# .data into the page's links to them, so that a browser's cache can never
# mix the files of two builds. Usage: cmake -DDIR=build-web -DNAME=vorrel -P
file(SHA256 ${DIR}/${NAME}.js js)
file(SHA256 ${DIR}/${NAME}.wasm wasm)
file(SHA256 ${DIR}/${NAME}.data data)
string(SUBSTRING ${js} 0 16 js)
string(SUBSTRING ${wasm} 0 16 wasm)
string(SUBSTRING ${data} 0 16 data)
file(READ ${DIR}/${NAME}.html page)
string(REPLACE "src=\"${NAME}.js\"" "src=\"${NAME}.js?v=${js}\"" page "${page}")
string(REPLACE "@WASM_HASH@" "${wasm}" page "${page}")
string(REPLACE "@DATA_HASH@" "${data}" page "${page}")
file(WRITE ${DIR}/${NAME}.html.new "${page}")
file(RENAME ${DIR}/${NAME}.html.new ${DIR}/${NAME}.html)
