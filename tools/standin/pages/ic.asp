<html>
<head><meta http-equiv="Content-Type" content="text/html; charset=gb2312"><title>您的IP地址</title></head>
<body style="margin:0px"><center>您的IP是：[127.0.0.1] 来自：本机局域网</center></body>
</html>
